// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/about/about_dialog.h"

#include <QDesktopServices>
#include <QFont>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <array>

#include "platform/twips.h"
#include "resources/about_texts.h"
#include "ui/about/click_label.h"

namespace tessarin {

namespace {

// Layout, in twips from the client area's top-left corner.
struct TwipsRect {
    int left, top, width, height;
};
constexpr TwipsRect ClientArea{2340, 1935, 5730, 3555};  // left, top: from the screen's corner
constexpr TwipsRect IconPlace{240, 240, 540, 540};       // size follows the picture
constexpr TwipsRect OKPlace{4245, 2625, 1260, 345};
constexpr TwipsRect SysInfoPlace{4260, 3075, 1245, 345};
constexpr TwipsRect DescriptionPlace{840, 720, 4128, 1656};
constexpr TwipsRect TitlePlace{840, 120, 4128, 564};
constexpr TwipsRect DisclaimerPlace{255, 2625, 3870, 825};

// The etched separator between the note and the buttons: a grey line with a white one just
// below it reads as a groove cut into the dialog's face. Index 0 is the white one.
struct EtchedLine {
    QRgb colour;
    int widthPixels;
    int x1, y1, x2, y2;  // twips
};
constexpr std::array<EtchedLine, 2> Line1{{
    {qRgb(255, 255, 255), 2, 105, 2460, 5654, 2460},
    {qRgb(128, 128, 128), 1, 90, 2445, 5654, 2445},
}};
// paintEvent draws them as rows of pixels.
static_assert(Line1[0].y1 == Line1[0].y2 && Line1[1].y1 == Line1[1].y2);

constexpr QRgb NoteText = qRgb(128, 255, 255);
constexpr QRgb NoteBackground = qRgb(0, 0, 0);

constexpr const char* IconPicture = ":/icons/about.png";

// The faces are asked for by their Traditional Chinese names. Where they are missing, the same
// faces under their English names come next, then the free AR PL faces of the same two styles
// (Ming and Kai) that the set-up script installs.
constexpr const char* NoteFace = "新細明體";
constexpr double NotePointSize = 10.5;
constexpr const char* TitleFace = "標楷體";
constexpr double TitlePointSize = 25.5;

void InstallFontSubstitutes() {
    static bool installed = false;  // the table is global: fill it once, not per dialog
    if (installed) return;
    installed = true;
    QFont::insertSubstitutions(QString::fromUtf8(NoteFace),
                               {QStringLiteral("PMingLiU"), QStringLiteral("AR PL UMing TW")});
    QFont::insertSubstitutions(QString::fromUtf8(TitleFace),
                               {QStringLiteral("DFKai-SB"), QStringLiteral("AR PL UKai TW")});
}

QFont Face(const char* family, double pointSize, QFont::Weight weight) {
    QFont font(QString::fromUtf8(family));
    font.setPointSizeF(pointSize);
    font.setWeight(weight);
    return font;
}

}  // namespace

frmAbout::frmAbout(MessageBox& messages, Registry& registry, ProgramStarter& starter,
                   QWidget* owner)
    // A fixed frame: a title with the close box, no minimise or maximise button.
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      actions_(messages, registry, starter) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromUtf8(texts::AboutCaption));
    setWindowIcon(QIcon(QString::fromLatin1(IconPicture)));

    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    setPalette(face);

    InstallFontSubstitutes();
    BuildControls();
    PlaceWindow();
}

void frmAbout::BuildControls() {
    const Twips twips = Twips::For(this);
    const auto place = [&twips](QWidget* widget, const TwipsRect& r) {
        widget->setGeometry(twips.PixelRect(r.left, r.top, r.width, r.height));
    };

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    picIcon->setAlignment(Qt::AlignCenter);
    const QPixmap picture(QString::fromLatin1(IconPicture));
    picIcon->setPixmap(picture);
    // The box fits its picture: a 32 x 32 icon inside the sunken border.
    const int border = 2 * picIcon->frameWidth();
    picIcon->setGeometry(twips.PixelsX(IconPlace.left), twips.PixelsY(IconPlace.top),
                         picture.width() + border, picture.height() + border);

    lblTitle = new QLabel(QString::fromUtf8(texts::AboutTitle), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->setFont(Face(TitleFace, TitlePointSize, QFont::Bold));
    QPalette titlePalette = lblTitle->palette();
    titlePalette.setColor(QPalette::WindowText, Qt::black);
    lblTitle->setPalette(titlePalette);
    place(lblTitle, TitlePlace);

    const auto makeNote = [&](const char* name, const std::string& text, const TwipsRect& r) {
        auto* label = new ClickLabel(QString::fromStdString(text), this);
        label->setObjectName(QString::fromLatin1(name));
        label->setFont(Face(NoteFace, NotePointSize, QFont::Normal));
        QPalette colours = label->palette();
        colours.setColor(QPalette::WindowText, QColor(NoteText));
        colours.setColor(QPalette::Window, QColor(NoteBackground));
        label->setPalette(colours);
        label->setAutoFillBackground(true);
        label->setToolTip(QString::fromUtf8(texts::AboutMailTip));
        place(label, r);
        return label;
    };
    lblDescription = makeNote("lblDescription", texts::AboutDescription(), DescriptionPlace);
    lblDisclaimer = makeNote("lblDisclaimer", texts::AboutDisclaimer(), DisclaimerPlace);

    for (QLabel* label : {static_cast<QLabel*>(lblTitle), static_cast<QLabel*>(lblDescription),
                          static_cast<QLabel*>(lblDisclaimer)}) {
        // Plain text: nothing in the texts is markup, and a '<' must never become one.
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::NoTextInteraction);
    }
    lblTitle->setFocusPolicy(Qt::NoFocus);
    // The links take the focus from Tab alone: a click must not leave a focus frame behind.
    lblDescription->setFocusPolicy(Qt::TabFocus);
    lblDisclaimer->setFocusPolicy(Qt::TabFocus);
    // A screen reader opening the dialog reads its description; its texts are links now, which
    // it leaves for Tab, and the title alone is too short for it to read unasked.
    setAccessibleDescription(lblTitle->text() + ' ' + lblDescription->text() + ' ' +
                             lblDisclaimer->text());

    cmdOK = new QPushButton(QString::fromUtf8(texts::AboutOK), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    place(cmdOK, OKPlace);

    // The "&S" in the caption gives Alt+S.
    cmdSysInfo = new QPushButton(QString::fromUtf8(texts::AboutSysInfo), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    place(cmdSysInfo, SysInfoPlace);

    // cmdOK is the default button. Both buttons are auto-default, so Enter presses whichever
    // button has the focus, and cmdOK whenever neither has.
    cmdOK->setAutoDefault(true);
    cmdSysInfo->setAutoDefault(true);
    cmdOK->setDefault(true);
    setTabOrder(cmdOK, cmdSysInfo);
    // Then the two mail links, in reading order.
    setTabOrder(cmdSysInfo, lblDescription);
    setTabOrder(lblDescription, lblDisclaimer);
    cmdOK->setFocus();

    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
    connect(lblDescription, &ClickLabel::clicked, this, &frmAbout::lblDescription_Click);
    connect(lblDisclaimer, &ClickLabel::clicked, this, &frmAbout::lblDisclaimer_Click);
}

void frmAbout::PlaceWindow() {
    const Twips twips = Twips::For(this);
    const QSize client = twips.PixelSize(ClientArea.width, ClientArea.height);
    setFixedSize(client);
    const QScreen* screen =
        parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    const QPoint corner = screen ? screen->geometry().topLeft() : QPoint();
    // An explicit position also keeps Qt from centring the dialog over its owner.
    setGeometry(QRect(
        corner + QPoint(twips.PixelsX(ClientArea.left), twips.PixelsY(ClientArea.top)), client));
}

void frmAbout::keyPressEvent(QKeyEvent* event) {
    // Esc works as a press of cmdOK, the cancel button, wherever the focus is.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdOK->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmAbout::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    const Twips twips = Twips::For(this);
    QPainter painter(this);
    for (const EtchedLine& line : Line1) {
        // Filled from the line's row downwards, so the two lines lie side by side instead of
        // a wide pen centred on its row covering the thin one.
        const int x1 = twips.PixelsX(line.x1);
        const int x2 = twips.PixelsX(line.x2);
        const int y = twips.PixelsY(line.y1);
        painter.fillRect(QRect(x1, y, x2 - x1, line.widthPixels), QColor(line.colour));
    }
}

void frmAbout::cmdOK_Click() { close(); }

void frmAbout::cmdSysInfo_Click() { StartSysInfo(); }

void frmAbout::lblDescription_Click() { MailToMe(); }

void frmAbout::lblDisclaimer_Click() { MailToMe(); }

void frmAbout::MailToMe() {
    // Handed over as the link reads, it would be no valid URL (a strict parse stops at the CR).
    QDesktopServices::openUrl(
        QUrl::fromEncoded(QByteArray::fromStdString(MailLinkUrl()), QUrl::StrictMode));
}

}  // namespace tessarin
