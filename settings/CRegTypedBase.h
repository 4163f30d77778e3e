#pragma once
// A typed registry value: reads on first use, serves the cache afterwards and
// writes only when given a different value. No key handle is held between
// calls: each read or write opens the key and closes it again, also when the
// query or set in between throws. B is CRegBase or CRegStdBase.
#include <windows.h>

#include <atomic>

#include "framework/Owned.h"

// Storage of the cached value. A 32-bit number is one atomic word, read by the
// render thread and the panel's thread while another thread loads or assigns
// it; texts are only used at start-up, on the main thread.
template <class T>
struct RegValueCell {
    using type = T;
};
template <>
struct RegValueCell<DWORD> {
    using type = std::atomic<DWORD>;
};

template <class T, class B>
class CRegTypedBase : public B {
public:
    using typename B::StringType;

    virtual LONG QueryFromKey(HKEY key, T* target) = 0;
    virtual LONG StoreToKey(HKEY key, const T* source) = 0;

    // The cached value, read from the registry first unless already read and
    // not forced.
    T Value() {
        if (this->read && !this->force) {
            this->lastError = ERROR_SUCCESS;
            return value;
        }
        LoadValue();
        return value;
    }

    // Sets the value and writes it through, unless it is known to be stored
    // already.
    void Assign(const T& v) {
        if (this->read && !this->force && v == static_cast<T>(value)) {
            this->lastError = ERROR_SUCCESS;
            return;
        }
        value = v;
        StoreValue();
    }

    // Reads the registry now, whatever the flags say.
    void LoadValue() {
        this->exists = false;
        OwnedKey key;
        LONG result = RegOpenKeyExW(this->rootKey, this->PlainString(this->subKey), 0, KEY_READ, key.Receive());
        this->lastError = result;
        if (result != ERROR_SUCCESS) {
            value = defaultValue;
            return;
        }
        this->read = true;
        T stored = defaultValue;
        result = QueryFromKey(key.Get(), &stored);
        if (result == ERROR_SUCCESS) {
            this->exists = true;
            value = stored;
        } else {
            value = defaultValue;
        }
        CloseKeepingFirstError(key, result);
    }

    // Writes the cached value now.
    void StoreValue() {
        OwnedKey key;
        LONG result = RegCreateKeyExW(this->rootKey, this->PlainString(this->subKey), 0, const_cast<LPWSTR>(L""),
                                      REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, key.Receive(), nullptr);
        this->lastError = result;
        if (result != ERROR_SUCCESS) return;
        T current = value;
        result = StoreToKey(key.Get(), &current);
        if (result == ERROR_SUCCESS) {
            this->read = true;
            this->exists = true;
        }
        CloseKeepingFirstError(key, result);
    }

    typename RegValueCell<T>::type value{};
    T defaultValue{};

protected:
    CRegTypedBase() = default;
    CRegTypedBase(const StringType& fullKey, const T& def) : B(fullKey), value(def), defaultValue(def) {}
    CRegTypedBase(const CRegTypedBase& other) : B(other), value(static_cast<T>(other.value)),
                                                 defaultValue(other.defaultValue) {}
    CRegTypedBase& operator=(const CRegTypedBase& other) {
        B::operator=(other);
        value = static_cast<T>(other.value);
        defaultValue = other.defaultValue;
        return *this;
    }
    ~CRegTypedBase() = default;

private:
    // A failed query or set stays in lastError: the close must not turn it into
    // a success.
    void CloseKeepingFirstError(OwnedKey& key, LONG earlier) {
        LONG closed = key.Close();
        this->lastError = earlier != ERROR_SUCCESS ? earlier : closed;
    }
};
