#include "TessaryCore/AnnotationStore.h"

#include <gtest/gtest.h>

using namespace tessary;

namespace {

Annotation rectangle(double x) {
    return Annotation(RectangleShape{{x, 0, 10, 10}}, AnnotationStyle::defaultStyle());
}

Annotation emptyPen() {
    return Annotation(PenShape{}, AnnotationStyle::defaultStyle());
}

TEST(AnnotationStoreTest, DepthBoundsUndoAfterManyAppends) {
    AnnotationStore store(200);
    for (int i = 0; i < 201; ++i) {
        store.append(rectangle(i));
    }
    ASSERT_EQ(store.items().size(), 201U);
    for (int i = 0; i < 200; ++i) {
        ASSERT_TRUE(store.undo()) << "undo " << i;
    }
    ASSERT_EQ(store.items().size(), 1U);
    EXPECT_EQ(store.items()[0].shape, AnnotationShape(RectangleShape{{0, 0, 10, 10}}));
    EXPECT_FALSE(store.undo());
    EXPECT_EQ(store.items().size(), 1U);
    EXPECT_FALSE(store.canUndo());

    // The whole undone history comes back, in order.
    for (int i = 0; i < 200; ++i) {
        ASSERT_TRUE(store.redo());
    }
    EXPECT_FALSE(store.redo());
    ASSERT_EQ(store.items().size(), 201U);
    EXPECT_EQ(store.items()[200].shape, AnnotationShape(RectangleShape{{200, 0, 10, 10}}));
}

TEST(AnnotationStoreTest, HistoryDepthsAtTheEdges) {
    struct Case {
        std::size_t depth;
        int appends;
        int possibleUndos;
    };
    const std::vector<Case> cases = {{0, 3, 0}, {1, 3, 1}, {2, 2, 2}, {2, 5, 2}, {5, 3, 3}};
    for (const auto& c : cases) {
        AnnotationStore store(c.depth);
        for (int i = 0; i < c.appends; ++i) {
            store.append(rectangle(i));
        }
        int undos = 0;
        while (store.undo()) {
            ++undos;
        }
        EXPECT_EQ(undos, c.possibleUndos) << "depth " << c.depth << ", appends " << c.appends;
        EXPECT_EQ(store.items().size(), static_cast<std::size_t>(c.appends - undos));
        // Redo pushes without trimming, so everything redone can be undone again.
        int redos = 0;
        while (store.redo()) {
            ++redos;
        }
        EXPECT_EQ(redos, undos);
        EXPECT_EQ(store.items().size(), static_cast<std::size_t>(c.appends));
        int again = 0;
        while (store.undo()) {
            ++again;
        }
        EXPECT_EQ(again, undos);
    }
}

TEST(AnnotationStoreTest, RejectedChangesKeepBothStacks) {
    const std::vector<std::pair<const char*, std::function<void(AnnotationStore&)>>> rejected = {
        {"thin rectangle",
         [](AnnotationStore& s) {
             s.append(Annotation(RectangleShape{{0, 0, 1.5, 100}}, AnnotationStyle::defaultStyle()));
         }},
        {"short arrow",
         [](AnnotationStore& s) {
             s.append(Annotation(ArrowShape{{0, 0}, {3.9, 0}}, AnnotationStyle::defaultStyle()));
         }},
        {"blank text",
         [](AnnotationStore& s) {
             s.append(Annotation(TextShape{{0, 0}, "  \n "}, AnnotationStyle::defaultStyle()));
         }},
        {"unknown id", [](AnnotationStore& s) { s.replace(Uuid::random(), rectangle(7)); }},
    };
    for (const auto& [name, change] : rejected) {
        AnnotationStore store(200);
        store.append(rectangle(1));
        store.append(rectangle(2));
        ASSERT_TRUE(store.undo());
        const auto before = store.items();
        change(store);
        EXPECT_EQ(store.items(), before) << name;
        EXPECT_TRUE(store.canRedo()) << name;
        EXPECT_TRUE(store.undo()) << name;
        EXPECT_FALSE(store.canUndo()) << name << ": no snapshot was recorded";
    }
}

TEST(AnnotationStoreTest, NewChangeDiscardsRedo) {
    AnnotationStore store(200);
    EXPECT_TRUE(store.isEmpty());
    store.append(rectangle(1));
    ASSERT_TRUE(store.undo());
    EXPECT_TRUE(store.isEmpty());
    EXPECT_TRUE(store.canRedo());
    store.append(rectangle(2));
    EXPECT_FALSE(store.canRedo());
    EXPECT_FALSE(store.redo());
    ASSERT_EQ(store.items().size(), 1U);
    EXPECT_EQ(store.items()[0].shape, rectangle(2).shape);
}

TEST(AnnotationStoreTest, ReplaceWithEmptyDeletesAndUndoRestoresOrder) {
    AnnotationStore store(200);
    const auto a = rectangle(1);
    const auto b = rectangle(2);
    const auto c = rectangle(3);
    store.append(a);
    store.append(b);
    store.append(c);

    store.replace(b.id(), emptyPen());
    EXPECT_EQ(store.items(), (std::vector<Annotation>{a, c}));
    ASSERT_TRUE(store.undo());
    EXPECT_EQ(store.items(), (std::vector<Annotation>{a, b, c}));
    ASSERT_TRUE(store.redo());
    EXPECT_EQ(store.items(), (std::vector<Annotation>{a, c}));
}

TEST(AnnotationStoreTest, ReplaceKeepsPositionAndSnapshotsStayUntouched) {
    AnnotationStore store(200);
    const auto a = rectangle(1);
    const auto b = rectangle(2);
    store.append(a);
    store.append(b);

    Annotation recoloured = a;
    recoloured.style.color = AnnotationColors::blue;
    store.replace(a.id(), recoloured);
    ASSERT_EQ(store.items().size(), 2U);
    EXPECT_EQ(store.items()[0], recoloured);
    EXPECT_EQ(store.items()[1], b);

    Annotation moved = recoloured;
    moved.shape = RectangleShape{{100, 100, 20, 20}};
    store.replace(a.id(), moved);

    ASSERT_TRUE(store.undo());
    EXPECT_EQ(store.items()[0], recoloured);
    ASSERT_TRUE(store.undo());
    EXPECT_EQ(store.items()[0], a) << "the snapshot must hold the original, not a shared later state";
    EXPECT_EQ(store.items()[1], b);
}

TEST(AnnotationStoreTest, ReplaceTargetsTheFirstMatchingId) {
    AnnotationStore store(200);
    const auto a = rectangle(1);
    store.append(a);
    store.append(rectangle(2));
    store.append(a); // the same value twice
    store.replace(a.id(), emptyPen());
    ASSERT_EQ(store.items().size(), 2U);
    EXPECT_EQ(store.items()[0].shape, AnnotationShape(RectangleShape{{2, 0, 10, 10}}));
    EXPECT_EQ(store.items()[1], a);
}

} // namespace
