#include "TessaryCore/DocumentParagraphs.h"

#include "TessaryCore/TranslatableText.h"
#include "TessaryCore/UnicodeText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_set>

#include <unicode/uchar.h>

namespace tessary::DocumentParagraphs {

namespace {

bool isLineBreak(UChar32 c) {
    return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

bool isSpaceOrTab(UChar32 c) {
    return c == 0x09 || u_charType(c) == U_SPACE_SEPARATOR;
}

bool joinsWithoutSpace(UChar32 c) {
    return (c >= 0x3040 && c <= 0x30FF) || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF00 && c <= 0xFFEF);
}

std::string trimmedText(std::string_view text) {
    return UnicodeText::toUtf8(
        UnicodeText::trimmed(UnicodeText::toUtf16(text), UnicodeText::isWhitespaceOrNewline));
}

bool hasArea(const Rect& box) {
    return box.width > 1 && box.height > 1;
}

std::optional<Paragraph> make(const DocumentTextItem& item) {
    const std::string trimmed = trimmedText(item.transcript);
    if (trimmed.empty() || !hasArea(item.box)) {
        return std::nullopt;
    }
    std::string text = normalizeLineBreaks(trimmed);
    if (text.empty()) {
        return std::nullopt;
    }
    return Paragraph{std::move(text), item.box, std::max(1, int(item.lines.size())),
                     item.alignment.value_or(TextBlockAlignment::leading)};
}

void collectFrom(const DocumentContainer& container, int depth, Collection& into) {
    for (const DocumentTextItem& item : container.paragraphs) {
        for (Paragraph& paragraph : split(item)) {
            into.paragraphs.push_back(std::move(paragraph));
        }
    }
    if (depth + 1 >= levelsRead) {
        // Only a branch that really holds something below counts as cut off.
        if (!container.tables.empty() || !container.lists.empty()) {
            ++into.truncatedBranches;
        }
        return;
    }
    for (const DocumentTable& table : container.tables) {
        for (const auto& row : table.rows) {
            for (const DocumentContainer& cell : row) {
                collectFrom(cell, depth + 1, into);
            }
        }
    }
    for (const DocumentList& list : container.lists) {
        for (const DocumentContainer& item : list.items) {
            collectFrom(item, depth + 1, into);
        }
    }
}

std::string halfPixel(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.0f", std::trunc(2 * value));
    return buffer;
}

} // namespace

Collection collect(const std::vector<DocumentContainer>& documents) {
    Collection collection;
    for (const DocumentContainer& document : documents) {
        collectFrom(document, 0, collection);
    }
    const std::size_t before = collection.paragraphs.size();
    collection.paragraphs = deduplicate(collection.paragraphs);
    collection.duplicatesRemoved = int(before - collection.paragraphs.size());
    return collection;
}

std::vector<Paragraph> split(const DocumentTextItem& item) {
    const bool separateLines =
        item.lines.size() > 1 &&
        std::any_of(item.lines.begin(), item.lines.end(), [](const DocumentLine& line) {
            return !TranslatableText::isWorthTranslating(line.transcript);
        });
    std::vector<Paragraph> paragraphs;
    if (!separateLines) {
        if (std::optional<Paragraph> paragraph = make(item)) {
            paragraphs.push_back(std::move(*paragraph));
        }
        return paragraphs;
    }
    for (const DocumentLine& line : item.lines) {
        std::string text = trimmedText(line.transcript);
        if (text.empty() || !hasArea(line.box)) {
            continue;
        }
        paragraphs.push_back({std::move(text), line.box, 1, TextBlockAlignment::leading});
    }
    return paragraphs;
}

std::vector<Paragraph> deduplicate(const std::vector<Paragraph>& paragraphs) {
    std::unordered_set<std::string> seen;
    std::vector<Paragraph> kept;
    for (const Paragraph& paragraph : paragraphs) {
        const Rect& r = paragraph.rect;
        std::string key = paragraph.text + '|' + halfPixel(r.minX()) + '|' + halfPixel(r.minY()) + '|' +
                          halfPixel(r.maxX() - r.minX()) + '|' + halfPixel(r.maxY() - r.minY());
        if (seen.insert(std::move(key)).second) {
            kept.push_back(paragraph);
        }
    }
    return kept;
}

std::string normalizeLineBreaks(std::string_view text) {
    const icu::UnicodeString source = UnicodeText::toUtf16(text);
    icu::UnicodeString joined;
    const auto append = [&](const icu::UnicodeString& rawPiece) {
        const icu::UnicodeString piece = UnicodeText::trimmed(rawPiece, isSpaceOrTab);
        if (piece.isEmpty()) {
            return;
        }
        if (!joined.isEmpty()) {
            const UChar32 last = joined.char32At(joined.moveIndex32(joined.length(), -1));
            if (!(joinsWithoutSpace(last) && joinsWithoutSpace(piece.char32At(0)))) {
                joined.append(u' ');
            }
        }
        joined.append(piece);
    };
    int32_t start = 0;
    for (int32_t i = 0; i < source.length(); i = source.moveIndex32(i, 1)) {
        if (isLineBreak(source.char32At(i))) {
            append(icu::UnicodeString(source, start, i - start));
            start = i + 1;
        }
    }
    append(icu::UnicodeString(source, start));
    return UnicodeText::toUtf8(joined);
}

} // namespace tessary::DocumentParagraphs
