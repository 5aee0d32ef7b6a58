#pragma once

#include "Translation/TypesetTranslation.h"

#include "TessaryCore/TranslationOverlay.h"

#include <QFont>
#include <QImage>
#include <QString>

#include <memory>

class QTextLayout;
class QTextLine;

// Fits each translation into the box of its source text with Qt's text layout, and samples the
// cover and text colours from the captured image.
namespace Typesetter {

// The layouts of the overlay's covering blocks. `image` shows the canvas area `imageArea` (canvas
// points, y up): the whole display image with the canvas bounds, or the selection's crop with the
// selection.
TypesetTranslation typeset(const tessary::TranslationOverlay& overlay, const QImage& image,
                           const tessary::Rect& imageArea);

// The regular system sans font at `size` canvas points, with the CJK face that suits `language`
// (Simplified, Traditional, Japanese or Korean glyph forms) ahead of or behind it. Sizes are
// meant for layoutText(), which lays out at one pixel per point.
QFont font(double size, const QString& language);

// `text` word-wrapped in `width` points (anywhere when a word is wider), lines stacked from the
// top with their leading, aligned as given.
std::unique_ptr<QTextLayout> layoutText(const QString& text, const QFont& font, double width,
                                        tessary::TextBlockAlignment alignment);
// Qt's alignment for a block's: visual, whatever the writing direction.
Qt::Alignment qtAlignment(tessary::TextBlockAlignment alignment);
// Lines are stacked at most this many font sizes apart. The CJK faces carry ascent and descent
// of about 1.45 em, and lines that tall would not fit the box of a source line of the same size.
inline constexpr double maximumLineSpacing = 1.2;
// The distance from `line` to the next: its height, capped by maximumLineSpacing.
double lineStep(const QTextLine& line, const QFont& font);
// The height of layoutText()'s result.
double measure(const QString& text, const QFont& font, double width);

} // namespace Typesetter
