#pragma once
// A platform handle owned by a rendered page image. On Linux nothing is ever stored in it: the
// pixels live in the image itself. It exists so the record keeps its shape on every platform.

class ScopedHandle
{
public:
    ScopedHandle() = default;
    explicit ScopedHandle(void* handle) : m_handle(handle) {}
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    void* get() const { return m_handle; }
    bool isNull() const { return m_handle == nullptr; }
    operator void*() const { return m_handle; }

private:
    void* m_handle = nullptr;
};
