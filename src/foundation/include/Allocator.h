#pragma once
// Allocation through an optional allocator object (null meaning the process heap), so that
// low-level containers keep one allocation path; plus a block allocator and two small hashing
// and sizing helpers.

#include <cstddef>
#include <cstdint>

class Allocator
{
public:
    virtual ~Allocator() = default;
    virtual void* Alloc(size_t size) = 0;
    virtual void* Realloc(void* mem, size_t size) = 0;
    virtual void Free(void* mem) = 0;

    static void* Alloc(Allocator* a, size_t size);
    // Zero-filled; null when the allocation failed.
    static void* AllocZero(Allocator* a, size_t size);
    static void Free(Allocator* a, void* p);
    static void* Realloc(Allocator* a, void* mem, size_t size);
    // size + padding bytes with the first size copied from mem (the padding is not cleared);
    // null when the allocation failed or the sizes overflow.
    static void* Dup(Allocator* a, const void* mem, size_t size, size_t padding = 0);
    // Copies with the terminating zero; null for a null string.
    static char* StrDup(Allocator* a, const char* str);
    static wchar_t* StrDup(Allocator* a, const wchar_t* str);
};

// Hands out memory by advancing through blocks of at least minBlockSize bytes; frees only all
// at once (FreeAll or destruction). Realloc answers null and Free does nothing.
class PoolAllocator : public Allocator
{
public:
    PoolAllocator();
    ~PoolAllocator() override;

    void Init();
    void SetMinBlockSize(size_t newMinBlockSize);
    void SetAllocRounding(size_t newRounding);
    void FreeAll();

    void* Alloc(size_t size) override;
    void* Realloc(void* mem, size_t size) override;
    void Free(void* mem) override;

    using Allocator::Alloc;
    using Allocator::Free;
    using Allocator::Realloc;

private:
    struct MemBlockNode;

    size_t minBlockSize;
    size_t allocRounding;
    MemBlockNode* currBlock;
    MemBlockNode* firstBlock;
};

// 1 below 2, otherwise the smallest power of two not below v (the largest size_t beyond 2^63).
size_t RoundToPowerOf2(size_t v);
// The published 32-bit MurmurHash2 with the seed 5381.
uint32_t MurmurHash2(const void* key, size_t len);
