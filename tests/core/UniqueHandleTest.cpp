#include "core/UniqueHandle.h"

#include <gtest/gtest.h>

#include <type_traits>
#include <vector>

namespace {

// What the fake release function was given, in order.
std::vector<int> Released;
void FakeRelease(int Handle) noexcept {
    Released.push_back(Handle);
}

// A kind whose "no handle" is -1, as for file and find handles on Windows.
using TFake = TUniqueHandle<int, -1, FakeRelease>;
// A pointer kind with null as "no handle".
int Objects[3];
std::vector<int*> ReleasedPointers;
void FakePointerRelease(int* Handle) noexcept {
    ReleasedPointers.push_back(Handle);
}
using TFakePointer = TUniqueHandle<int*, 0, FakePointerRelease>;

class UniqueHandleTest : public testing::Test {
protected:
    void SetUp() override {
        Released.clear();
        ReleasedPointers.clear();
    }
};

static_assert(!std::is_copy_constructible_v<TFake> && !std::is_copy_assignable_v<TFake>,
              "a copy would release its handle twice");
static_assert(std::is_nothrow_move_constructible_v<TFake> &&
              std::is_nothrow_move_assignable_v<TFake>);

TEST_F(UniqueHandleTest, ReleasesOnceAtTheEndAndNeverTheInvalidValue) {
    {
        TFake Empty;
        EXPECT_FALSE(Empty);
        EXPECT_EQ(Empty.get(), -1);
        // 0 is a real handle for this kind.
        TFake Zero(0);
        EXPECT_TRUE(Zero);
        TFake Invalid(-1);
        EXPECT_FALSE(Invalid);
    }
    EXPECT_EQ(Released, std::vector<int>{0});
}

TEST_F(UniqueHandleTest, MovesHandOverWithoutReleasing) {
    {
        TFake First(7);
        TFake Second(std::move(First));
        EXPECT_FALSE(First);
        EXPECT_EQ(Second.get(), 7);
        EXPECT_TRUE(Released.empty());

        TFake Third(8);
        Third = std::move(Second); // 8 goes, 7 stays with Third
        EXPECT_EQ(Released, std::vector<int>{8});
        EXPECT_EQ(Third.get(), 7);
        EXPECT_FALSE(Second);

        auto& Same = Third;
        Third = std::move(Same); // moving onto itself keeps the handle
        EXPECT_EQ(Third.get(), 7);
        EXPECT_EQ(Released, std::vector<int>{8});
    }
    EXPECT_EQ(Released, (std::vector<int>{8, 7}));
}

TEST_F(UniqueHandleTest, ResetReleaseAndPut) {
    TFake Owner(1);
    Owner.reset(2);
    EXPECT_EQ(Released, std::vector<int>{1});
    EXPECT_EQ(Owner.release(), 2);
    EXPECT_FALSE(Owner);
    Owner.reset(); // nothing held: nothing released
    EXPECT_EQ(Released, std::vector<int>{1});

    Owner.reset(3);
    int* Slot = Owner.put(); // an out parameter: the old handle goes first
    EXPECT_EQ(Released, (std::vector<int>{1, 3}));
    EXPECT_EQ(*Slot, -1);
    *Slot = 4;
    EXPECT_EQ(Owner.get(), 4);
}

TEST_F(UniqueHandleTest, PointerKindTreatsNullAsNoHandle) {
    {
        TFakePointer Empty;
        EXPECT_FALSE(Empty);
        EXPECT_EQ(Empty.get(), nullptr);
        TFakePointer Held(&Objects[1]);
        EXPECT_TRUE(Held);
        Held.reset(&Objects[2]);
    }
    EXPECT_EQ(ReleasedPointers, (std::vector<int*>{&Objects[1], &Objects[2]}));
}

} // namespace
