#pragma once

#include "TessaryCore/DocumentLayout.h"

#include <string>
#include <string_view>
#include <vector>

// Turns a recognised container tree into the paragraphs a screenshot translation works on.
namespace tessary::DocumentParagraphs {

// One paragraph: its text with line breaks folded (never empty), its box in image pixels (top-left
// origin, both sides greater than 1), its number of lines (at least 1) and its alignment.
struct Paragraph {
    std::string text;
    Rect rect;
    int lineCount = 1;
    TextBlockAlignment alignment = TextBlockAlignment::leading;

    friend bool operator==(const Paragraph&, const Paragraph&) = default;
};

// Containers at depths 0 to 7 are read: eight levels.
inline constexpr int levelsRead = 8;

struct Collection {
    // In traversal order, repeats removed.
    std::vector<Paragraph> paragraphs;
    // Containers below the last level read that held tables or lists, which were not visited.
    int truncatedBranches = 0;
    // Paragraphs dropped as repeats of an earlier one.
    int duplicatesRemoved = 0;
};

// The paragraphs of every document, depth first: a container's own paragraphs, then its tables
// (row by row, cell by cell), then its lists (item by item).
Collection collect(const std::vector<DocumentContainer>& documents);

// A text item as paragraphs: one per line when it has several lines and one of them is not worth
// translating (a figure among words keeps its own place), else at most one for the whole item.
std::vector<Paragraph> split(const DocumentTextItem& item);

// The paragraph list without repeats (same text, same box to half a pixel); the first is kept.
std::vector<Paragraph> deduplicate(const std::vector<Paragraph>& paragraphs);

// The text's lines joined into one: pieces between line breaks trimmed of spaces and tabs, empty
// ones dropped, joined with one space, or with nothing where both neighbours are CJK (kana, Han
// ideographs, half- and full-width forms).
std::string normalizeLineBreaks(std::string_view text);

} // namespace tessary::DocumentParagraphs
