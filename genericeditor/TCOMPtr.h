#pragma once
// A counted reference to an object of the plug-in boundary.
#include <utility>

template <class T>
class TCOMPtr
{
public:
    TCOMPtr() = default;
    // Adds a reference of its own.
    explicit TCOMPtr(T* object) { assign(object); }
    TCOMPtr(const TCOMPtr& other) { assign(other.m_object); }
    ~TCOMPtr() { assign(nullptr); }

    TCOMPtr& operator=(const TCOMPtr& other)
    {
        assign(other.m_object);
        return *this;
    }
    TCOMPtr& operator=(T* object)
    {
        assign(object);
        return *this;
    }

    // The new object gains its reference before the old one loses its own, so that
    // assigning an object held only through this pointer never frees it.
    void assign(T* object)
    {
        if (object == m_object)
            return;
        if (object)
            object->AddRef();
        T* old = std::exchange(m_object, object);
        if (old)
            old->Release();
    }

    T* get() const { return m_object; }
    T* operator->() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }

private:
    T* m_object = nullptr;
};
