// SPDX-License-Identifier: GPL-3.0-or-later
// The About dialog as the user meets it: window, controls, texts, colours, fonts, keys, clicks.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRawFont>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QUrlQuery>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "platform/twips.h"
#include "resources/about_texts.h"
#include "tests/about/about_fixture.h"
#include "ui/about/about_actions.h"

namespace tessarin::testing {
namespace {

// Twips back from whole pixels are exact only to half a pixel.
double Slack(const Twips& twips) {
    return std::max(twips.PerPixelX(), twips.PerPixelY()) / 2 + 0.01;
}

const auto Label = [](const auto& info) { return std::string(info.param.label); };

// ---------------------------------------------------------------------------------------------
// The window.

using AboutWindow = AboutFixture;

TEST_F(AboutWindow, ClientAreaAndPositionInTwips) {
    const Twips twips = Twips::For(dialog);
    const QScreen* screen = owner->screen();
    ASSERT_NE(screen, nullptr);
    const QRect client = dialog->geometry();
    const QPoint fromCorner = client.topLeft() - screen->geometry().topLeft();
    EXPECT_NEAR(twips.ToTwipsX(fromCorner.x()), 2340, Slack(twips));
    EXPECT_NEAR(twips.ToTwipsY(fromCorner.y()), 1935, Slack(twips));
    EXPECT_NEAR(twips.ToTwipsX(client.width()), 5730, Slack(twips));
    EXPECT_NEAR(twips.ToTwipsY(client.height()), 3555, Slack(twips));

    // Showing it must not move it: no centring over the owner. (The frame may appear around
    // it; the client area stays put.)
    const QPoint before = dialog->geometry().topLeft();
    owner->show();
    dialog->show();
    EXPECT_EQ(dialog->geometry().topLeft(), before);
}

TEST_F(AboutWindow, FixedModelessFrameOwnedByTheBoardWindow) {
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("關於Tessarin"));
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
    EXPECT_EQ(dialog->size(), dialog->minimumSize());
    const Qt::WindowFlags flags = dialog->windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Dialog);
    const Qt::WindowFlags box =
        Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint | Qt::WindowTitleHint;
    EXPECT_EQ(flags & (box | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint), box);
    // Owned by the board window: stays above it and gets no taskbar entry of its own.
    EXPECT_EQ(dialog->parentWidget(), owner.get());
    EXPECT_TRUE(dialog->isWindow());
    EXPECT_FALSE(dialog->isModal());
    EXPECT_TRUE(dialog->testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_FALSE(dialog->windowIcon().isNull());
    EXPECT_EQ(dialog->palette().color(QPalette::Window),
              QGuiApplication::palette().color(QPalette::Button));
}

// Each opening is a new dialog, the same as the first.
TEST_F(AboutWindow, ClosedDialogIsDeletedAndANewOneIsTheSame) {
    owner->show();
    QStringList first;
    for (int opening = 0; opening < 2; ++opening) {
        dialog->show();
        QStringList texts;
        for (const QObject* child : dialog->children()) {
            if (const auto* label = qobject_cast<const QLabel*>(child)) {
                texts << child->objectName() + QLatin1Char('=') + label->text()
                      << QStringLiteral("%1,%2").arg(label->x()).arg(label->y());
            }
        }
        EXPECT_EQ(texts.size(), 8);
        if (opening == 0) first = texts;
        EXPECT_EQ(texts, first);
        dialog->close();
        EXPECT_TRUE(Destroyed());
        dialog = new frmAbout(messages, registry, starter, owner.get());
    }
}

// ---------------------------------------------------------------------------------------------
// Controls: laid out to be read, and reached by the keyboard, in order.

using AboutControls = AboutFixture;

TEST_F(AboutControls, IconBoxFitsItsPictureInASunkenBorder) {
    const auto* picIcon = Control<QLabel>("picIcon");
    ASSERT_NE(picIcon, nullptr);
    const Twips twips = Twips::For(dialog);
    EXPECT_NEAR(twips.ToTwipsX(picIcon->x()), 240, Slack(twips));
    EXPECT_NEAR(twips.ToTwipsY(picIcon->y()), 240, Slack(twips));
    EXPECT_EQ(picIcon->frameShape(), QFrame::WinPanel);
    EXPECT_EQ(picIcon->frameShadow(), QFrame::Sunken);
    EXPECT_EQ(picIcon->pixmap().size(), QSize(32, 32));
    EXPECT_EQ(picIcon->contentsRect().size(), QSize(32, 32));
    // 32 px and a 2 px border on each side: 540 twips at 96 DPI.
    EXPECT_EQ(picIcon->size(), QSize(36, 36));
    if (dialog->logicalDpiX() == 96) {
        EXPECT_NEAR(twips.ToTwipsX(picIcon->width()), 540, Slack(twips));
    }
}

// Icon and title along the top, the description under the title, the etched line, then the
// disclaimer with the two buttons to its right, OK above the viewer's button; no two controls
// overlapping, every control whole inside the client area, every text whole inside its control.
TEST_F(AboutControls, ReadInOrderWithEveryTextWhole) {
    const char* names[] = {"picIcon",        "cmdOK",    "cmdSysInfo",
                           "lblDescription", "lblTitle", "lblDisclaimer"};
    std::map<std::string, QRect> at;
    for (const char* name : names) at[name] = Control<QWidget>(name)->geometry();
    for (std::size_t i = 0; i < std::size(names); ++i) {
        EXPECT_TRUE(dialog->rect().contains(at[names[i]])) << names[i];
        for (std::size_t j = i + 1; j < std::size(names); ++j) {
            EXPECT_FALSE(at[names[i]].intersects(at[names[j]])) << names[i] << " and " << names[j];
        }
    }
    const int line = Twips::For(dialog).PixelsY(2445);  // the etched line's grey row
    EXPECT_LT(at["picIcon"].right(), at["lblTitle"].left());
    EXPECT_LT(at["picIcon"].right(), at["lblDescription"].left());
    EXPECT_LT(at["lblTitle"].bottom(), at["lblDescription"].top());
    EXPECT_LT(at["lblDescription"].bottom(), line);
    EXPECT_GT(at["lblDisclaimer"].top(), line + 2);
    EXPECT_GT(at["cmdOK"].top(), line + 2);
    EXPECT_LT(at["lblDisclaimer"].right(), at["cmdOK"].left());
    EXPECT_LT(at["lblDisclaimer"].right(), at["cmdSysInfo"].left());
    EXPECT_LT(at["cmdOK"].bottom(), at["cmdSysInfo"].top());

    // The texts are the dialog's own, plain and wrapped, and none is cut off; only the notes,
    // which open a mail, have a tip; only they take the focus, and from Tab alone.
    const QString mailTip = QStringLiteral("點一下即可寄信給我");
    const struct {
        const char* name;
        std::string text;
        QString tip;
    } labels[] = {
        {"lblTitle", texts::AboutTitle, {}},
        {"lblDescription", texts::AboutDescription(), mailTip},
        {"lblDisclaimer",
         std::string("警告: ...當然還是老樣子啦,如果本程式造成妳的電腦有所損壞,一概不負責."
                     "但我也想不到會怎麼損壞啦! 若有任何問題請  E-mail至") +
             texts::ContactAddress,
         mailTip},
    };
    EXPECT_NE(std::string(texts::ContactAddress).find('@'), std::string::npos);
    for (const auto& [name, text, tip] : labels) {
        const auto* label = Control<QLabel>(name);
        EXPECT_EQ(label->text(), QString::fromStdString(text)) << name;
        EXPECT_EQ(label->toolTip(), tip) << name;
        EXPECT_LE(label->heightForWidth(label->width()), label->height()) << name;
        EXPECT_TRUE(label->wordWrap()) << name;
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << name;
        EXPECT_EQ(label->textInteractionFlags(), Qt::NoTextInteraction) << name;
        EXPECT_EQ(label->focusPolicy(), tip.isEmpty() ? Qt::NoFocus : Qt::TabFocus) << name;
    }
    for (const auto& [name, text] :
         {std::pair{"cmdOK", texts::AboutOK}, std::pair{"cmdSysInfo", texts::AboutSysInfo}}) {
        const auto* button = Control<QPushButton>(name);
        EXPECT_EQ(button->text(), QString::fromUtf8(text)) << name;
        EXPECT_TRUE(button->toolTip().isEmpty()) << name;
        const QSize shown = button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
        EXPECT_LT(shown.width(), button->width()) << name;
        EXPECT_LT(shown.height(), button->height()) << name;
    }
}

TEST_F(AboutControls, TabGoesFromOKToTheLinksWhichEnterAndSpaceFollow) {
    EXPECT_TRUE(Control<QPushButton>("cmdOK")->isDefault());
    EXPECT_FALSE(Control<QPushButton>("cmdSysInfo")->isDefault());
    EXPECT_TRUE(Control<QPushButton>("cmdSysInfo")->autoDefault());
    ShowActive();
    EXPECT_EQ(QApplication::focusWidget(), Control<QPushButton>("cmdOK"));
    EXPECT_EQ(Control<QWidget>("picIcon")->focusPolicy(), Qt::NoFocus);
    const struct {
        const char* control;
        Qt::Key key;  // pressed there after Tab has brought the focus
        std::size_t mails;
    } order[] = {{"cmdSysInfo", Qt::Key_unknown, 0},
                 {"lblDescription", Qt::Key_Return, 1},
                 {"lblDisclaimer", Qt::Key_Space, 2},
                 {"cmdOK", Qt::Key_unknown, 2}};
    for (const auto& step : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), Control<QWidget>(step.control)) << step.control;
        if (step.key != Qt::Key_unknown) QTest::keyClick(QApplication::focusWidget(), step.key);
        EXPECT_EQ(mail.urls.size(), step.mails) << step.control;
    }
    EXPECT_FALSE(Destroyed());  // Enter on a link is not the default button's
    // A screen reader's press action on a link follows it too.
    QAccessible::queryAccessibleInterface(Control<QWidget>("lblDisclaimer"))
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(mail.urls.size(), 3u);
}

// ---------------------------------------------------------------------------------------------
// Texts, character for character.

using AboutTexts = AboutFixture;

TEST_F(AboutTexts, DescriptionPushesDateAndSignatureAlongWithRunsOf51And110Spaces) {
    const QString text = Control<QLabel>("lblDescription")->text();
    // One line: the story, then the date and the signature, each after its long run of spaces.
    static const QRegularExpression shape(QStringLiteral(
        "^([^\r\n]*[^ \r\n]) {51}完成於2002/2/18    PS: 感謝妳的使用 {110}Pelorin\\z"));
    const QRegularExpressionMatch match = shape.match(text);
    ASSERT_TRUE(match.hasMatch()) << text.toStdString();
    // The story: the earlier program, the algorithm, 300KB smaller, the title; no long run.
    const QString story = match.captured(1);
    for (const char* word : {"五子棋", "演算法", "300KB", "標題"}) {
        EXPECT_TRUE(story.contains(QString::fromUtf8(word))) << word;
    }
    EXPECT_FALSE(story.contains(QString(5, QLatin1Char(' '))));
}

// ---------------------------------------------------------------------------------------------
// Colours and the etched separator.

using AboutColours = AboutFixture;

// As they come out on screen: each label's empty corner is its background, and its text is
// drawn in its colour; below the description the etched line, one grey row above two white.
TEST_F(AboutColours, NotesLightCyanOnBlackTitleBlackOnTheFaceEtchedLinesGreyAboveWhite) {
    const QImage image = dialog->grab().toImage();
    const QColor face = dialog->palette().color(QPalette::Window);
    const struct {
        const char* name;
        QColor text, background;
    } labels[] = {{"lblDescription", QColor(128, 255, 255), Qt::black},
                  {"lblDisclaimer", QColor(128, 255, 255), Qt::black},
                  {"lblTitle", Qt::black, face}};
    for (const auto& [name, text, background] : labels) {
        const QRect r = Control<QWidget>(name)->geometry();
        EXPECT_EQ(QColor(image.pixel(r.bottomRight() - QPoint(1, 1))), background) << name;
        bool drawn = false;
        for (int y = r.top(); y <= r.bottom() && !drawn; ++y) {
            for (int x = r.left(); x <= r.right() && !drawn; ++x) {
                drawn = QColor(image.pixel(x, y)) == text;
            }
        }
        EXPECT_TRUE(drawn) << name;
    }

    const Twips twips = Twips::For(dialog);
    const QColor grey(128, 128, 128), white(255, 255, 255);
    const int grey1 = twips.PixelsY(2445);
    const int white1 = twips.PixelsY(2460);
    ASSERT_EQ(white1, grey1 + 1);
    struct Probe {
        int x, y;
        QColor colour;
    };
    const int middle = twips.PixelsX(3000);
    const Probe probes[] = {
        {middle, grey1 - 1, face},
        {middle, grey1, grey},
        {middle, white1, white},
        {middle, white1 + 1, white},
        {middle, white1 + 2, face},
        {twips.PixelsX(90), grey1, grey},
        {twips.PixelsX(90) - 1, grey1, face},
        {twips.PixelsX(105), white1, white},
        {twips.PixelsX(105) - 1, white1, face},
        {twips.PixelsX(5654) - 1, grey1, grey},
        {twips.PixelsX(5654) - 1, white1 + 1, white},
        {twips.PixelsX(5654) + 1, grey1, face},
    };
    for (const Probe& p : probes) {
        EXPECT_EQ(QColor(image.pixel(p.x, p.y)), p.colour) << "at " << p.x << "," << p.y;
    }
}

// Fonts: asked for by their Traditional Chinese names, resolved to a Chinese face of the same
// style that has every character of the captions.

TEST_F(AboutTexts, LabelFontsResolveToAChineseFaceWithEveryGlyph) {
    const std::vector<const char*> ming{"新細明體", "PMingLiU", "AR PL UMing TW"};
    const struct {
        const char* name;
        const char* requested;
        double pointSize;
        QFont::Weight weight;
        std::vector<const char*> acceptable;
    } labels[] = {
        {"lblDescription", "新細明體", 10.5, QFont::Normal, ming},
        {"lblDisclaimer", "新細明體", 10.5, QFont::Normal, ming},
        {"lblTitle", "標楷體", 25.5, QFont::Bold, {"標楷體", "DFKai-SB", "AR PL UKai TW"}}};
    for (const auto& c : labels) {
        SCOPED_TRACE(c.name);
        const QFont font = Control<QLabel>(c.name)->font();
        EXPECT_EQ(font.family(), QString::fromUtf8(c.requested));
        EXPECT_DOUBLE_EQ(font.pointSizeF(), c.pointSize);
        EXPECT_EQ(font.weight(), c.weight);

        const QString resolved = QFontInfo(font).family();
        bool acceptable = false;
        for (const char* family : c.acceptable) acceptable |= resolved == QString::fromUtf8(family);
        EXPECT_TRUE(acceptable) << resolved.toStdString();

        // The face itself, not a fallback, must hold every character.
        const QRawFont face = QRawFont::fromFont(font);
        const QFontMetrics metrics(font);
        for (const uint ch : Control<QLabel>(c.name)->text().toUcs4()) {
            EXPECT_TRUE(metrics.inFontUcs4(ch)) << std::hex << ch;
            EXPECT_TRUE(face.supportsCharacter(ch))
                << std::hex << ch << " in " << face.familyName().toStdString();
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Keys and clicks on the buttons. Nothing is in the registry, so StartSysInfo shows up as one
// failure message.

struct KeyCase {
    const char* label;
    const char* focus;
    Qt::Key key;  // Qt::Key_unknown: a click on the button instead
    Qt::KeyboardModifiers modifiers;
    bool closes;
    bool startsSysInfo;
};

void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.label; }

class AboutKey : public AboutFixture, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(AboutKey, ClosesOrStartsSysInfo) {
    const KeyCase& c = GetParam();
    ShowActive();
    auto* button = Control<QPushButton>(c.focus);
    ASSERT_NE(button, nullptr);
    button->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), button);

    if (c.key == Qt::Key_unknown) {
        QTest::mouseClick(button, Qt::LeftButton);
    } else {
        QTest::keyClick(button, c.key, c.modifiers);
    }
    // A shortcut presses its button with a short animation.
    if (c.startsSysInfo) {
        EXPECT_TRUE(QTest::qWaitFor([this] { return !messages.shown.empty(); }, 1000));
    }

    EXPECT_EQ(Destroyed(), c.closes);
    if (!c.closes) {
        EXPECT_TRUE(dialog && dialog->isVisible());
    }
    EXPECT_EQ(messages.shown, c.startsSysInfo ? std::vector<std::string>{texts::SysInfoUnavailable}
                                              : std::vector<std::string>{});
    EXPECT_EQ(registry.opened.empty(), !c.startsSysInfo);
}

INSTANTIATE_TEST_SUITE_P(
    About, AboutKey,
    ::testing::Values(
        KeyCase{"EscOnOK", "cmdOK", Qt::Key_Escape, Qt::NoModifier, true, false},
        KeyCase{"EscOnSysInfo", "cmdSysInfo", Qt::Key_Escape, Qt::NoModifier, true, false},
        KeyCase{"ReturnOnOK", "cmdOK", Qt::Key_Return, Qt::NoModifier, true, false},
        KeyCase{"EnterOnOK", "cmdOK", Qt::Key_Enter, Qt::KeypadModifier, true, false},
        KeyCase{"ReturnOnSysInfo", "cmdSysInfo", Qt::Key_Return, Qt::NoModifier, false, true},
        KeyCase{"EnterOnSysInfo", "cmdSysInfo", Qt::Key_Enter, Qt::KeypadModifier, false, true},
        KeyCase{"AltSOnOK", "cmdOK", Qt::Key_S, Qt::AltModifier, false, true},
        KeyCase{"AltSOnSysInfo", "cmdSysInfo", Qt::Key_S, Qt::AltModifier, false, true},
        KeyCase{"SpaceOnOK", "cmdOK", Qt::Key_Space, Qt::NoModifier, true, false},
        KeyCase{"ClickOnOK", "cmdOK", Qt::Key_unknown, Qt::NoModifier, true, false},
        KeyCase{"ClickOnSysInfo", "cmdSysInfo", Qt::Key_unknown, Qt::NoModifier, false, true}),
    Label);

// ---------------------------------------------------------------------------------------------
// Clicks elsewhere: the two notes open a mail to the author, everything else does nothing.

struct ClickCase {
    const char* label;
    const char* control;  // or null for a point on the dialog's own surface
    int x, y;             // twips, when there is no control
    int mails;
};

void PrintTo(const ClickCase& c, std::ostream* os) { *os << c.label; }

class AboutClick : public AboutFixture, public ::testing::WithParamInterface<ClickCase> {};

TEST_P(AboutClick, OpensOneMailOrNothing) {
    const ClickCase& c = GetParam();
    ShowActive();
    if (c.control) {
        QWidget* target = Control<QWidget>(c.control);
        ASSERT_NE(target, nullptr);
        QTest::mouseClick(target, Qt::LeftButton);
    } else {
        const Twips twips = Twips::For(dialog);
        const QPoint at(twips.PixelsX(c.x), twips.PixelsY(c.y));
        ASSERT_EQ(dialog->childAt(at), nullptr) << "the point is on a control";
        QTest::mouseClick(dialog, Qt::LeftButton, {}, at);
    }
    ASSERT_EQ(static_cast<int>(mail.urls.size()), c.mails);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(starter.started.empty());
    EXPECT_FALSE(Destroyed());

    const std::string link = std::string("mailto:") + texts::ContactAddress +
                             "?Subject=Pelorin你好!&Body=對於Scrivel我有個小問題:" + "\r\n";
    for (const QUrl& url : mail.urls) {
        EXPECT_TRUE(url.isValid()) << url.errorString().toStdString();
        // Decoded, the URL is the link text exactly.
        EXPECT_EQ(QUrl::fromPercentEncoding(url.toEncoded()), QString::fromStdString(link));
        EXPECT_EQ(url.scheme(), QStringLiteral("mailto"));
        EXPECT_EQ(url.path(), QString::fromUtf8(texts::ContactAddress));
        const QUrlQuery query(url);
        EXPECT_EQ(query.queryItemValue(QStringLiteral("Subject"), QUrl::FullyDecoded),
                  QStringLiteral("Pelorin你好!"));
        EXPECT_EQ(query.queryItemValue(QStringLiteral("Body"), QUrl::FullyDecoded),
                  QStringLiteral("對於Scrivel我有個小問題:\r\n"));
        // What goes to the mail program: the link made a URL, ASCII only, no raw space, CR or LF.
        const QByteArray encoded = url.toEncoded();
        EXPECT_EQ(encoded.toStdString(), MailLinkUrl());
        for (const char ch : encoded) {
            EXPECT_TRUE(ch > 0x20 && ch < 0x7F) << "byte " << int(static_cast<unsigned char>(ch));
        }
        EXPECT_TRUE(encoded.endsWith("%0D%0A")) << encoded.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(About, AboutClick,
                         ::testing::Values(ClickCase{"Description", "lblDescription", 0, 0, 1},
                                           ClickCase{"Disclaimer", "lblDisclaimer", 0, 0, 1},
                                           ClickCase{"Title", "lblTitle", 0, 0, 0},
                                           ClickCase{"Icon", "picIcon", 0, 0, 0},
                                           ClickCase{"GreyLine", nullptr, 3000, 2445, 0},
                                           ClickCase{"WhiteLine", nullptr, 3000, 2475, 0},
                                           ClickCase{"BareSurface", nullptr, 3000, 2550, 0}),
                         Label);

// A press released outside the note and a right click are no clicks; every left click is.
TEST_F(AboutWindow, EveryClickOnANoteOpensOneMoreMail) {
    ShowActive();
    auto* note = Control<QWidget>("lblDescription");
    QTest::mousePress(note, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(note, Qt::LeftButton, {}, QPoint(-5, note->height() + 20));
    QTest::mouseClick(note, Qt::RightButton);
    EXPECT_TRUE(mail.urls.empty());
    QTest::mouseClick(note, Qt::LeftButton);
    QTest::mouseClick(Control<QWidget>("lblDisclaimer"), Qt::LeftButton);
    QTest::mouseClick(note, Qt::LeftButton);
    EXPECT_EQ(mail.urls.size(), 3u);
}

}  // namespace
}  // namespace tessarin::testing
