#include "Allocator.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

// Counts what goes through it, to prove the object (not the heap) is used.
class CountingAllocator : public Allocator
{
public:
    void* Alloc(size_t size) override
    {
        ++allocs;
        return malloc(size);
    }
    void* Realloc(void* mem, size_t size) override
    {
        ++reallocs;
        return realloc(mem, size);
    }
    void Free(void* mem) override
    {
        ++frees;
        free(mem);
    }
    int allocs = 0, reallocs = 0, frees = 0;
};

TEST(Allocator, NullAllocatorUsesTheHeap)
{
    char* s = Allocator::StrDup(nullptr, "abc");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(memcmp(s, "abc", 4), 0);
    Allocator::Free(nullptr, s);

    const unsigned char src[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    auto* d = static_cast<unsigned char*>(Allocator::Dup(nullptr, src, 10, 2));
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(memcmp(d, src, 10), 0);
    d[11] = 0xAB; // the padding belongs to the block
    d = static_cast<unsigned char*>(Allocator::Realloc(nullptr, d, 100));
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(memcmp(d, src, 10), 0);
    Allocator::Free(nullptr, d);

    auto* z = static_cast<unsigned char*>(Allocator::AllocZero(nullptr, 64));
    ASSERT_NE(z, nullptr);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(z[i], 0);
    Allocator::Free(nullptr, z);

    wchar_t* w = Allocator::StrDup(nullptr, L"ab");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(wcscmp(w, L"ab"), 0);
    Allocator::Free(nullptr, w);

    EXPECT_EQ(Allocator::StrDup(nullptr, static_cast<const char*>(nullptr)), nullptr);
    EXPECT_EQ(Allocator::StrDup(nullptr, static_cast<const wchar_t*>(nullptr)), nullptr);
    EXPECT_EQ(Allocator::Dup(nullptr, src, SIZE_MAX, 2), nullptr); // size overflow
}

TEST(Allocator, AnAllocatorObjectIsUsedWhenGiven)
{
    CountingAllocator a;
    char* s = Allocator::StrDup(&a, "x");
    s = static_cast<char*>(Allocator::Realloc(&a, s, 8));
    Allocator::Free(&a, s);
    EXPECT_EQ(a.allocs, 1);
    EXPECT_EQ(a.reallocs, 1);
    EXPECT_EQ(a.frees, 1);
}

TEST(Allocator, PoolHandsOutRoundedAlignedMemory)
{
    PoolAllocator pool;
    pool.SetMinBlockSize(64);
    char* a = static_cast<char*>(pool.Alloc(3));
    char* b = static_cast<char*>(pool.Alloc(5));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b - a, 8);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(a) % 8, 0u);
    char* big = static_cast<char*>(pool.Alloc(1000)); // larger than a block: a block of its own
    ASSERT_NE(big, nullptr);
    memset(big, 0x5A, 1000);
    EXPECT_EQ(pool.Realloc(a, 10), nullptr);
    pool.Free(a); // ignored
    EXPECT_EQ(pool.Alloc(SIZE_MAX), nullptr);
    pool.FreeAll();
    EXPECT_NE(pool.Alloc(1), nullptr);
}

TEST(Allocator, RoundToPowerOf2)
{
    const struct {
        size_t in, out;
    } cases[] = {{0, 1}, {1, 1}, {2, 2}, {3, 4}, {4, 4}, {5, 8}, {1000, 1024}, {size_t(1) << 63, size_t(1) << 63},
                 {(size_t(1) << 63) + 1, SIZE_MAX}};
    for (const auto& c : cases)
        EXPECT_EQ(RoundToPowerOf2(c.in), c.out) << c.in;
}

TEST(Allocator, MurmurHash2WithSeed5381)
{
    const struct {
        const char* key;
        uint32_t hash;
    } cases[] = {{"", 0x0342ce6cu}, {"a", 0x43505283u}, {"abc", 0xb3377ff6u}, {"abcd", 0xc1e5ff86u},
                 {"hello world", 0x0dd8a7f9u}};
    for (const auto& c : cases)
        EXPECT_EQ(MurmurHash2(c.key, strlen(c.key)), c.hash) << c.key;
}

} // namespace
