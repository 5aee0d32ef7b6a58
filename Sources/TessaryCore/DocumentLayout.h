#pragma once

#include "TessaryCore/Geometry.h"
#include "TessaryCore/TextBlockAlignment.h"

#include <optional>
#include <string>
#include <vector>

// The structure a document recogniser reports for an image: containers holding paragraphs,
// tables of cells and lists of items, each cell and item a container again. Boxes are in the
// image's pixels with the origin at the top left and y growing downwards (rows top-down).
namespace tessary {

struct DocumentLine {
    std::string transcript;
    Rect box;
};

struct DocumentTextItem {
    // The whole paragraph, its lines separated by line breaks.
    std::string transcript;
    std::vector<DocumentLine> lines;
    Rect box;
    // Nothing when the recogniser could not tell.
    std::optional<TextBlockAlignment> alignment;
};

struct DocumentContainer;

struct DocumentTable {
    // Rows of cells, each cell a container.
    std::vector<std::vector<DocumentContainer>> rows;
};

struct DocumentList {
    std::vector<DocumentContainer> items;
};

struct DocumentContainer {
    std::vector<DocumentTextItem> paragraphs;
    std::vector<DocumentTable> tables;
    std::vector<DocumentList> lists;
};

} // namespace tessary
