#include "TessaryCore/AnnotationStore.h"

#include <algorithm>

namespace tessary {

void AnnotationStore::recordSnapshot() {
    const auto countBefore = undoStack_.size();
    undoStack_.push_back(items_);
    if (countBefore >= maximumHistoryDepth_) {
        undoStack_.pop_front();
    }
    redoStack_.clear();
}

void AnnotationStore::append(Annotation annotation) {
    if (!annotation.isMeaningful()) {
        return;
    }
    recordSnapshot();
    items_.push_back(std::move(annotation));
}

void AnnotationStore::replace(const Uuid& id, Annotation annotation) {
    const auto found =
        std::find_if(items_.begin(), items_.end(), [&](const auto& item) { return item.id() == id; });
    if (found == items_.end()) {
        return;
    }
    const auto index = found - items_.begin();
    recordSnapshot();
    if (annotation.isMeaningful()) {
        items_[static_cast<std::size_t>(index)] = std::move(annotation);
    } else {
        items_.erase(items_.begin() + index);
    }
}

bool AnnotationStore::undo() {
    if (undoStack_.empty()) {
        return false;
    }
    auto snapshot = std::move(undoStack_.back());
    undoStack_.pop_back();
    redoStack_.push_back(std::move(items_));
    items_ = std::move(snapshot);
    return true;
}

bool AnnotationStore::redo() {
    if (redoStack_.empty()) {
        return false;
    }
    auto snapshot = std::move(redoStack_.back());
    redoStack_.pop_back();
    undoStack_.push_back(std::move(items_));
    items_ = std::move(snapshot);
    return true;
}

} // namespace tessary
