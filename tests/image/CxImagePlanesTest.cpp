#include <gtest/gtest.h>

#include "ImageProbe.h"

namespace {

TEST(CxImageAlpha, CreateFillsOpaqueAndAccessIsBounded)
{
    ImageProbe image;
    EXPECT_FALSE(image.AlphaCreate());
    ASSERT_NE(image.Create(3, 2, 24), nullptr);
    EXPECT_FALSE(image.AlphaIsValid());
    EXPECT_EQ(image.AlphaGet(0, 0), 0);
    image.AlphaSet(0, 0, 1);
    ASSERT_TRUE(image.AlphaCreate());
    EXPECT_EQ(image.AlphaGet(2, 1), 255);
    image.AlphaSet(2, 1, 7);
    image.AlphaSet(3, 1, 8);  // outside: ignored
    EXPECT_EQ(image.Alpha()[1 * 3 + 2], 7);
    EXPECT_EQ(image.AlphaGetUnchecked(2, 1), 7);
    EXPECT_EQ(*image.AlphaGetPointer(2, 1), 7);
    EXPECT_EQ(image.AlphaGetPointer(0, 2), nullptr);
    EXPECT_EQ(image.AlphaGet(-1, 0), 0);
    // A second create keeps the plane.
    EXPECT_TRUE(image.AlphaCreate());
    EXPECT_EQ(image.AlphaGet(2, 1), 7);
    image.AlphaDelete();
    EXPECT_FALSE(image.AlphaIsValid());
}

TEST(CxImageAlpha, CopyNeedsTheSameSize)
{
    ImageProbe from;
    ASSERT_NE(from.Create(2, 2, 24), nullptr);
    ImageProbe to;
    ASSERT_NE(to.Create(2, 2, 8), nullptr);
    EXPECT_FALSE(to.AlphaCopy(from));
    ASSERT_TRUE(from.AlphaCreate());
    from.AlphaSet(1, 0, 3);
    from.Info().nAlphaMax = 128;
    ASSERT_TRUE(to.AlphaCopy(from));
    EXPECT_EQ(to.AlphaGet(1, 0), 3);
    EXPECT_EQ(to.Info().nAlphaMax, 128);

    ImageProbe other;
    ASSERT_NE(other.Create(2, 3, 24), nullptr);
    EXPECT_FALSE(other.AlphaCopy(from));
    EXPECT_FALSE(other.AlphaIsValid());
    EXPECT_EQ(other.Info().nAlphaMax, 255);
}

TEST(CxImageSelection, DeleteLeavesTheEmptyBox)
{
    ImageProbe image;
    ASSERT_NE(image.Create(10, 20, 8), nullptr);
    ASSERT_TRUE(image.SelectionCreate());
    EXPECT_EQ(image.SelectionGetUnchecked(9, 19), 0);
    image.SelectionSet(9, 19, 4);
    image.SelectionSet(10, 19, 4);  // outside: ignored
    EXPECT_EQ(image.SelectionGetUnchecked(9, 19), 4);
    EXPECT_TRUE(image.SelectionDelete());
    EXPECT_FALSE(image.SelectionIsValid());
    RECT box = image.Info().rSelectionBox;
    EXPECT_EQ(box.left, 10);
    EXPECT_EQ(box.top, 0);
    EXPECT_EQ(box.right, 0);
    EXPECT_EQ(box.bottom, 20);
}

TEST(CxImageSelection, CopyTakesThePlaneAndTheBox)
{
    ImageProbe from;
    ASSERT_NE(from.Create(4, 4, 24), nullptr);
    ImageProbe to;
    ASSERT_NE(to.Create(4, 4, 24), nullptr);
    EXPECT_FALSE(to.SelectionCopy(from));
    ASSERT_TRUE(from.SelectionCreate());
    from.SelectionSet(3, 3, 1);
    from.Info().rSelectionBox = RECT{1, 4, 4, 1};
    ASSERT_TRUE(to.SelectionCopy(from));
    EXPECT_EQ(to.SelectionGetUnchecked(3, 3), 1);
    EXPECT_EQ(to.Info().rSelectionBox.top, 4);
    ImageProbe small;
    ASSERT_NE(small.Create(3, 4, 24), nullptr);
    EXPECT_FALSE(small.SelectionCopy(from));
}

}  // namespace
