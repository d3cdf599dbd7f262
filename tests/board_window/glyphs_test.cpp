// SPDX-License-Identifier: GPL-3.0-or-later
// The Chinese captions must render with a Chinese face, never as empty boxes.

#include <gtest/gtest.h>

#include <QGlyphRun>
#include <QMenuBar>
#include <QRawFont>
#include <QTextLayout>

#include "tests/support/board_window_driver.h"

namespace tessarin {
namespace {

// Lays the text out the way a widget would, with font fallback, and lists the characters
// glyphs that came out as glyph 0 (the "missing glyph" box), with the faces they came from.
QString MissingGlyphs(const QString& text, const QFont& font) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    QString missing;
    for (const QGlyphRun& run : layout.glyphRuns()) {
        for (quint32 glyph : run.glyphIndexes()) {
            if (glyph == 0) missing += run.rawFont().familyName() + ' ';
        }
    }
    return missing;
}

TEST(MenuCaptions, HaveNoMissingGlyphs) {
    testing::Window w(testing::Shown::No);
    Form1& form = w.form;
    form.findChild<QAction*>(QStringLiteral("提示"))->setText(QStringLiteral("提示(&H)(10,10)"));
    const QList<QAction*> items = form.menuBar()->actions();
    ASSERT_EQ(items.size(), 4);
    for (QAction* item : items) {
        QString caption = item->text();
        caption.remove('&');
        EXPECT_EQ(MissingGlyphs(caption, form.menuBar()->font()), QString())
            << caption.toStdString();
    }
}

TEST(MenuCaptions, SampleTextCatchesMissingGlyphs) {
    // An unassigned code point has no glyph in any installed face: the check must see it.
    EXPECT_FALSE(MissingGlyphs(QString(QChar(0x0378)), QFont()).isEmpty());
}

}  // namespace
}  // namespace tessarin
