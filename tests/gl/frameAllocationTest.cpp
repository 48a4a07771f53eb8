// A steady frame allocates nothing on the heap: every allocation the hall needs is made
// at start-up. The global operator new of this test program counts what the test's own
// thread allocates while counting is on.
#include "app/application.h"
#include "app/runLoop.h"
#include "navigation/keyboard.h"
#include "navigation/tour.h"
#include "scene/animation.h"
#include "tests/gl/hallFixture.h"
#include "tests/unit/defaultNames.h"

#include <cstdlib>
#include <new>

namespace {

thread_local bool counting = false;
thread_local long allocations = 0;
thread_local size_t allocatedBytes = 0;

void* countedAllocation(std::size_t size)
{
    if (counting) {
        ++allocations;
        allocatedBytes += size;
    }
    return std::malloc(size ? size : 1);
}

} // namespace

void* operator new(std::size_t size)
{
    if (void* p = countedAllocation(size))
        return p;
    throw std::bad_alloc();
}

void* operator new[](std::size_t size) { return operator new(size); }

// Libraries allocate with these too; all of them must pair with the deletes below.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return countedAllocation(size); }

void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
// Out of line, so the compiler does not pair an inlined free with the new it sees.
__attribute__((noinline)) void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

using FrameAllocationTest = HallTest;

// Runs `frames` frames of `dt` seconds and returns how many allocations they made.
long allocationsOver(int frames, double dt)
{
    allocations = 0;
    allocatedBytes = 0;
    counting = true;
    for (int i = 0; i < frames; ++i)
        runFrame(dt);
    counting = false;
    return allocations;
}

TEST_F(FrameAllocationTest, CountingSeesAnAllocation)
{
    counting = true;
    allocations = 0;
    ::operator delete(::operator new(16));  // a new-expression could be optimised away
    counting = false;
    EXPECT_EQ(allocations, 1);
}

// Frames alternate between with and without environment captures, so pairs are steady;
// the first pair lets the driver build what it keeps for later frames.
TEST_F(FrameAllocationTest, SteadyFramesAllocateNothing)
{
    startTour();
    environmentRefreshPending = true;
    allocationsOver(2, 1.0 / 30.0);
    EXPECT_EQ(allocationsOver(2, 1.0 / 30.0), 0) << allocatedBytes << " bytes while the tour drives the camera";

    keyHeld = [](int key) { return key == KEY_W || key == KEY_LEFT; };
    allocationsOver(2, 1.0 / 30.0);
    EXPECT_EQ(allocationsOver(2, 1.0 / 30.0), 0) << allocatedBytes << " bytes while keys move the camera";
}

} // namespace
