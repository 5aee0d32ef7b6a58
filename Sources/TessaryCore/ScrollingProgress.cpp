#include "TessaryCore/ScrollingProgress.h"

namespace tessary {

std::string_view noticeKey(ScrollingNotice notice) {
    switch (notice) {
    case ScrollingNotice::tooFast:
        return "scroll.notice.tooFast";
    case ScrollingNotice::repetitive:
        return "scroll.notice.repetitive";
    case ScrollingNotice::segmented:
        return "scroll.notice.segmented";
    case ScrollingNotice::resized:
        return "scroll.notice.resized";
    }
    return "scroll.notice.segmented";
}

ScrollingNotice noticeForRejection(ScrollMatchFailure failure) {
    switch (failure) {
    case ScrollMatchFailure::sizeMismatch:
        return ScrollingNotice::resized;
    case ScrollMatchFailure::ambiguousOverlap:
        return ScrollingNotice::repetitive;
    case ScrollMatchFailure::activeRegionTooSmall:
    case ScrollMatchFailure::noConfidentOverlap:
        break;
    }
    return ScrollingNotice::tooFast;
}

ScrollingNotice noticeForNewSegment(ScrollMatchFailure failure) {
    return failure == ScrollMatchFailure::sizeMismatch ? ScrollingNotice::resized
                                                       : ScrollingNotice::segmented;
}

std::string_view failureName(ScrollMatchFailure failure) {
    switch (failure) {
    case ScrollMatchFailure::sizeMismatch:
        return "sizeMismatch";
    case ScrollMatchFailure::activeRegionTooSmall:
        return "activeRegionTooSmall";
    case ScrollMatchFailure::noConfidentOverlap:
        return "noConfidentOverlap";
    case ScrollMatchFailure::ambiguousOverlap:
        return "ambiguousOverlap";
    }
    return "noConfidentOverlap";
}

} // namespace tessary
