#include "TessaryCore/Annotation.h"

#include <cmath>
#include <unicode/uchar.h>
#include <unicode/utf8.h>

namespace tessary {

Annotation::Annotation(AnnotationShape shape, AnnotationStyle style)
    : Annotation(Uuid::random(), std::move(shape), style) {}

Annotation::Annotation(Uuid id, AnnotationShape shape, AnnotationStyle style)
    : shape(std::move(shape)), style(style), id_(id) {}

namespace {

bool isWhiteSpaceOrLineBreak(UChar32 c) {
    if (c == '\t' || (c >= 0x0A && c <= 0x0D) || c == 0x85) {
        return true;
    }
    const auto type = u_charType(c);
    return type == U_SPACE_SEPARATOR || type == U_LINE_SEPARATOR || type == U_PARAGRAPH_SEPARATOR;
}

bool hasExtent(const Rect& rect) {
    return std::abs(rect.width) >= 2 && std::abs(rect.height) >= 2;
}

} // namespace

bool isBlankText(std::string_view text) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int64_t>(text.size());
    std::int64_t offset = 0;
    while (offset < length) {
        UChar32 c = 0;
        U8_NEXT(bytes, offset, length, c);
        // Malformed bytes are content too: something is there.
        if (c < 0 || !isWhiteSpaceOrLineBreak(c)) {
            return false;
        }
    }
    return true;
}

bool Annotation::isMeaningful() const {
    struct Visitor {
        bool operator()(const RectangleShape& s) const { return hasExtent(s.rect); }
        bool operator()(const EllipseShape& s) const { return hasExtent(s.rect); }
        bool operator()(const ArrowShape& s) const {
            return std::hypot(s.to.x - s.from.x, s.to.y - s.from.y) >= 4;
        }
        bool operator()(const PenShape& s) const { return s.points.size() > 1; }
        bool operator()(const MosaicShape& s) const { return s.points.size() > 1; }
        bool operator()(const TextShape& s) const { return !isBlankText(s.content); }
        bool operator()(const StickerShape&) const { return true; }
    };
    return std::visit(Visitor{}, shape);
}

} // namespace tessary
