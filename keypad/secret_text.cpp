#include "keypad/secret_text.h"

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <utility>

namespace {
SecretText::MemoryLock g_memoryLock;
} // namespace

void SecretText::setMemoryLock(MemoryLock memoryLock) noexcept
{
    g_memoryLock = memoryLock;
}

void wipeMemory(void* data, std::size_t size) noexcept
{
    // Volatile stores are observable behaviour, so they survive even when the buffer is freed right after.
    auto* p = static_cast<volatile unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        p[i] = 0;
    }
}

SecretText::SecretText(std::string_view text)
{
    append(text);
}

SecretText::SecretText(const SecretText& other)
{
    append(other.view());
}

SecretText::SecretText(SecretText&& other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)), m_size(std::exchange(other.m_size, 0)),
      m_capacity(std::exchange(other.m_capacity, 0))
{}

SecretText& SecretText::operator=(const SecretText& other)
{
    if (this != &other) {
        clear();
        append(other.view());
    }
    return *this;
}

SecretText& SecretText::operator=(SecretText&& other) noexcept
{
    if (this != &other) {
        release();
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_capacity = std::exchange(other.m_capacity, 0);
    }
    return *this;
}

SecretText::~SecretText()
{
    release();
}

void SecretText::append(char c)
{
    append(std::string_view(&c, 1));
}

void SecretText::append(std::string_view text)
{
    insert(m_size, text);
}

void SecretText::insert(std::size_t pos, std::string_view text)
{
    if (pos > m_size) {
        throw std::out_of_range("SecretText::insert: position past the end");
    }
    if (text.empty()) {
        return;
    }
    const std::less<const char*> before;
    if (m_data && !before(text.data(), m_data) && before(text.data(), m_data + m_capacity)) {
        // The source lies in our own buffer, which growing or shifting would disturb: go through a copy.
        const SecretText scratch(text);
        insert(pos, scratch.view());
        return;
    }
    reserve(m_size + text.size());
    std::copy_backward(m_data + pos, m_data + m_size, m_data + m_size + text.size());
    std::copy(text.begin(), text.end(), m_data + pos);
    m_size += text.size();
}

void SecretText::erase(std::size_t pos, std::size_t count)
{
    if (pos > m_size) {
        throw std::out_of_range("SecretText::erase: position past the end");
    }
    count = std::min(count, m_size - pos);
    std::copy(m_data + pos + count, m_data + m_size, m_data + pos);
    wipeMemory(m_data + m_size - count, count);
    m_size -= count;
}

void SecretText::clear() noexcept
{
    if (m_data) {
        wipeMemory(m_data, m_capacity);
    }
    m_size = 0;
}

void SecretText::reserve(std::size_t capacity)
{
    if (capacity <= m_capacity) {
        return;
    }
    const std::size_t grown = std::max({capacity, m_capacity * 2, std::size_t{32}});
    char* fresh = new char[grown]();
    if (g_memoryLock.lock) {
        g_memoryLock.lock(fresh, grown);
    }
    if (m_data) {
        std::copy(m_data, m_data + m_size, fresh);
    }
    const std::size_t size = m_size;
    release();
    m_data = fresh;
    m_size = size;
    m_capacity = grown;
}

void SecretText::release() noexcept
{
    if (m_data) {
        wipeMemory(m_data, m_capacity);
        if (g_memoryLock.unlock) {
            g_memoryLock.unlock(m_data, m_capacity);
        }
        delete[] m_data;
    }
    m_data = nullptr;
    m_size = 0;
    m_capacity = 0;
}
