#pragma once

#include "TessaryCore/Annotation.h"

#include <cstddef>
#include <deque>
#include <vector>

namespace tessary {

// The annotations of one selection canvas, with bounded undo and unbounded redo. Every snapshot is a full
// copy of the list, so later changes never reach into the history.
class AnnotationStore {
public:
    explicit AnnotationStore(std::size_t maximumHistoryDepth) : maximumHistoryDepth_(maximumHistoryDepth) {}

    const std::vector<Annotation>& items() const { return items_; }
    bool isEmpty() const { return items_.empty(); }
    bool canUndo() const { return !undoStack_.empty(); }
    bool canRedo() const { return !redoStack_.empty(); }
    std::size_t maximumHistoryDepth() const { return maximumHistoryDepth_; }

    // Adds a finished annotation; one that is not meaningful is dropped and leaves the history alone.
    void append(Annotation annotation);
    // Puts the annotation in place of the first one with the id, or removes that one when the new
    // annotation is not meaningful. An unknown id changes nothing.
    void replace(const Uuid& id, Annotation annotation);
    bool undo();
    bool redo();

private:
    void recordSnapshot();

    std::size_t maximumHistoryDepth_;
    std::vector<Annotation> items_;
    std::deque<std::vector<Annotation>> undoStack_;
    std::vector<std::vector<Annotation>> redoStack_;
};

} // namespace tessary
