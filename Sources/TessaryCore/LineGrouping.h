#pragma once

#include "TessaryCore/DocumentLayout.h"
#include "TessaryCore/TextBlockAlignment.h"

#include <optional>
#include <vector>

// Regroups the lines a layout analysis filed as one paragraph into the paragraphs a reader sees.
// Screenshots of user interfaces put unrelated text side by side and one under another with wide
// spacing; a page-oriented analysis joins them into one block, and a translation of the block
// would cover all of them with one patch and one text.
namespace tessary::LineGrouping {

// Lines further apart than this many line heights (the taller of the two) are separate paragraphs.
inline constexpr double paragraphGapFactor = 1.0;

// `lines`: the paragraph's lines from top to bottom, each as its column pieces from left to right
// (DocumentLine boxes, top-left origin). A piece continues the group whose last line it overlaps
// horizontally and lies close enough below; otherwise it starts a group. Groups keep `alignment`
// only when the paragraph stayed whole.
std::vector<DocumentTextItem> group(const std::vector<std::vector<DocumentLine>>& lines,
                                    std::optional<TextBlockAlignment> alignment);

} // namespace tessary::LineGrouping
