#pragma once

#include "TessaryCore/AnnotationShape.h"
#include "TessaryCore/AnnotationStyle.h"
#include "TessaryCore/Uuid.h"

#include <string_view>

namespace tessary {

class Annotation {
public:
    // A new annotation with a fresh random id.
    Annotation(AnnotationShape shape, AnnotationStyle style);
    Annotation(Uuid id, AnnotationShape shape, AnnotationStyle style);

    const Uuid& id() const { return id_; }

    // Whether the annotation is worth keeping: shapes need some extent, text some non-blank content.
    bool isMeaningful() const;

    AnnotationShape shape; // changes while the annotation is a draft
    AnnotationStyle style;

    friend bool operator==(const Annotation&, const Annotation&) = default;

private:
    Uuid id_;
};

// True when the UTF-8 text holds nothing but white space and line breaks (or nothing at all).
bool isBlankText(std::string_view text);

} // namespace tessary
