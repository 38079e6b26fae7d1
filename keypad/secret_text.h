#pragma once

#include <cstddef>
#include <string_view>

// Text that holds a password. Its characters always live in a heap buffer of its own (never in an inline
// small-string buffer inside the object) and every buffer it gives up is overwritten with zeros first: on
// destruction, on assignment, on clear() and when it grows.
class SecretText
{
public:
    SecretText() noexcept = default;
    explicit SecretText(std::string_view text);
    SecretText(const SecretText& other);
    SecretText(SecretText&& other) noexcept;
    SecretText& operator=(const SecretText& other);
    SecretText& operator=(SecretText&& other) noexcept;
    ~SecretText();

    std::size_t size() const noexcept { return m_size; }
    bool empty() const noexcept { return m_size == 0; }
    const char* data() const noexcept { return m_data; }
    std::string_view view() const noexcept { return {m_data, m_size}; }
    char operator[](std::size_t index) const noexcept { return m_data[index]; }

    void append(char c);
    void append(std::string_view text);
    void insert(std::size_t pos, std::string_view text);
    void erase(std::size_t pos, std::size_t count);
    void clear() noexcept;
    void reserve(std::size_t capacity);

    friend bool operator==(const SecretText& a, const SecretText& b) noexcept { return a.view() == b.view(); }

    // Keeps the buffers' pages out of swap while they hold characters. The platform layer installs one at
    // start; a lock that fails is ignored, since it is an extra protection and not a promise. Locks do not
    // nest: freeing one buffer unlocks a page that it shares with another.
    struct MemoryLock
    {
        void (*lock)(const void* data, std::size_t size) noexcept = nullptr;
        void (*unlock)(const void* data, std::size_t size) noexcept = nullptr;
    };
    static void setMemoryLock(MemoryLock memoryLock) noexcept;

private:
    void release() noexcept;

    char* m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

// Overwrites memory with zeros in a way the optimiser may not drop.
void wipeMemory(void* data, std::size_t size) noexcept;
