#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>

#include "object/Noncopyable.h"
#include "object/Object.h"

namespace korvane::container {

/// A pool of records of type T that grows by blocks of N records. Records given back go on a free list and
/// are handed out again last-in first-out; block memory returns to the heap only when the pool is destroyed.
/// obtain() returns raw storage; create() and destroy() also run T's constructor and destructor.
/// Not locked: the owner guards a pool that threads share (the message pools do).
template <typename T, uint32_t N> class Allocator : public object::Object, private object::Noncopyable {
    static_assert(N > 0, "a block holds at least one record");

public:
    Allocator() = default;
    ~Allocator() override {
        for (Block* block = firstBlock; block;) {
            Block* next = block->next;
            ::operator delete(static_cast<void*>(block), std::align_val_t(alignment));
            block = next;
        }
    }

    /// Raw storage for one T; grows the pool by one block when no record is free.
    T* obtain() {
        if (!freeList)
            grow();
        FreeRecord* record = freeList;
        freeList = record->next;
        return reinterpret_cast<T*>(record);
    }

    /// Puts the storage of a record (whose T, if any, has already been destroyed) back on the free list.
    void giveBack(T* record) {
        if (record)
            freeList = ::new (static_cast<void*>(record)) FreeRecord{freeList};
    }

    template <typename... Args> T* create(Args&&... args) {
        T* record = obtain();
        try {
            return ::new (static_cast<void*>(record)) T(std::forward<Args>(args)...);
        } catch (...) {
            giveBack(record);
            throw;
        }
    }

    void destroy(T* record) {
        if (!record)
            return;
        record->~T();
        giveBack(record);
    }

    /// Records in all blocks, in use or free.
    uint32_t getTotal() const { return total; }
    uint32_t getBlockSize() const { return blockSize; }
    uint32_t getBlockCount() const { return total / blockSize; }

    types::String getClassPath() const override {
        return types::String::concat(Object::getClassPath(), ":Allocator");
    }

private:
    // A free record holds the next free record in its first word.
    struct FreeRecord {
        FreeRecord* next;
    };
    // Each block starts with a two-word header: the next block, and the number of records.
    struct Block {
        Block* next;
        uintptr_t records;
    };

    static constexpr size_t roundUp(size_t size, size_t to) { return (size + to - 1) / to * to; }
    static constexpr size_t alignment = std::max({alignof(T), alignof(FreeRecord), alignof(Block)});
    static constexpr size_t recordSize = roundUp(std::max(sizeof(T), sizeof(FreeRecord)), alignment);
    static constexpr size_t headerSize = roundUp(sizeof(Block), alignment);

    void grow() {
        void* memory = ::operator new(headerSize + recordSize * N, std::align_val_t(alignment));
        Block* block = ::new (memory) Block{nullptr, N};
        if (lastBlock)
            lastBlock->next = block;
        else
            firstBlock = block;
        lastBlock = block;
        // Link the records in address order; the last one leads to whatever was free before.
        std::byte* records = static_cast<std::byte*>(memory) + headerSize;
        FreeRecord* next = freeList;
        for (uint32_t index = N; index-- > 0;)
            next = ::new (static_cast<void*>(records + index * recordSize)) FreeRecord{next};
        freeList = next;
        total += N;
    }

    Block* firstBlock = nullptr;
    Block* lastBlock = nullptr;
    FreeRecord* freeList = nullptr;
    uint32_t total = 0;
    uint32_t blockSize = N;
};

} // namespace korvane::container
