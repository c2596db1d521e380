#include "Allocator.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <limits>

void* Allocator::Alloc(Allocator* a, size_t size)
{
    return a ? a->Alloc(size) : malloc(size);
}

void* Allocator::AllocZero(Allocator* a, size_t size)
{
    void* m = Alloc(a, size);
    if (m)
        memset(m, 0, size);
    return m;
}

void Allocator::Free(Allocator* a, void* p)
{
    if (a)
        a->Free(p);
    else
        free(p);
}

void* Allocator::Realloc(Allocator* a, void* mem, size_t size)
{
    return a ? a->Realloc(mem, size) : realloc(mem, size);
}

void* Allocator::Dup(Allocator* a, const void* mem, size_t size, size_t padding)
{
    if (size > std::numeric_limits<size_t>::max() - padding)
        return nullptr;
    void* m = Alloc(a, size + padding);
    if (m && size)
        memcpy(m, mem, size);
    return m;
}

char* Allocator::StrDup(Allocator* a, const char* str)
{
    if (!str)
        return nullptr;
    return static_cast<char*>(Dup(a, str, strlen(str) + 1));
}

wchar_t* Allocator::StrDup(Allocator* a, const wchar_t* str)
{
    if (!str)
        return nullptr;
    return static_cast<wchar_t*>(Dup(a, str, (wcslen(str) + 1) * sizeof(wchar_t)));
}

// ---------------------------------------------------------------------------------------------

// A block header; the block's memory follows it, aligned like the header.
struct alignas(16) PoolAllocator::MemBlockNode {
    MemBlockNode* next;
    size_t size; // usable bytes after the header
    size_t used;
};

PoolAllocator::PoolAllocator()
    : minBlockSize(4096)
    , allocRounding(8)
    , currBlock(nullptr)
    , firstBlock(nullptr)
{
}

PoolAllocator::~PoolAllocator()
{
    FreeAll();
}

void PoolAllocator::Init()
{
    FreeAll();
    allocRounding = 8;
}

void PoolAllocator::SetMinBlockSize(size_t newMinBlockSize)
{
    minBlockSize = newMinBlockSize;
}

void PoolAllocator::SetAllocRounding(size_t newRounding)
{
    allocRounding = newRounding ? newRounding : 1;
}

void PoolAllocator::FreeAll()
{
    MemBlockNode* b = firstBlock;
    while (b) {
        MemBlockNode* next = b->next;
        free(b);
        b = next;
    }
    firstBlock = nullptr;
    currBlock = nullptr;
}

void* PoolAllocator::Alloc(size_t size)
{
    // Round up to the rounding step, refusing sizes that would overflow.
    const size_t rem = size % allocRounding;
    if (rem && size > std::numeric_limits<size_t>::max() - (allocRounding - rem))
        return nullptr;
    const size_t need = rem ? size + (allocRounding - rem) : size;

    if (!currBlock || currBlock->size - currBlock->used < need) {
        const size_t blockSize = need > minBlockSize ? need : minBlockSize;
        if (blockSize > std::numeric_limits<size_t>::max() - sizeof(MemBlockNode))
            return nullptr;
        auto* block = static_cast<MemBlockNode*>(malloc(sizeof(MemBlockNode) + blockSize));
        if (!block)
            return nullptr;
        block->next = nullptr;
        block->size = blockSize;
        block->used = 0;
        if (currBlock)
            currBlock->next = block;
        else
            firstBlock = block;
        currBlock = block;
    }
    char* mem = reinterpret_cast<char*>(currBlock + 1) + currBlock->used;
    currBlock->used += need;
    return mem;
}

void* PoolAllocator::Realloc(void*, size_t)
{
    return nullptr;
}

void PoolAllocator::Free(void*)
{
}

// ---------------------------------------------------------------------------------------------

size_t RoundToPowerOf2(size_t v)
{
    if (v < 2)
        return 1;
    const size_t top = size_t(1) << (sizeof(size_t) * 8 - 1);
    if (v > top)
        return std::numeric_limits<size_t>::max();
    size_t p = 1;
    while (p < v)
        p <<= 1;
    return p;
}

uint32_t MurmurHash2(const void* key, size_t len)
{
    const uint32_t m = 0x5bd1e995;
    const int r = 24;
    uint32_t h = 5381u ^ uint32_t(len);
    const auto* data = static_cast<const unsigned char*>(key);
    while (len >= 4) {
        uint32_t k;
        memcpy(&k, data, 4);
        k *= m;
        k ^= k >> r;
        k *= m;
        h *= m;
        h ^= k;
        data += 4;
        len -= 4;
    }
    switch (len) {
    case 3:
        h ^= uint32_t(data[2]) << 16;
        [[fallthrough]];
    case 2:
        h ^= uint32_t(data[1]) << 8;
        [[fallthrough]];
    case 1:
        h ^= data[0];
        h *= m;
        break;
    default:
        break;
    }
    h ^= h >> 13;
    h *= m;
    h ^= h >> 15;
    return h;
}
