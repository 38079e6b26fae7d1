#include "keypad/secret_text.h"

#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace {

bool storedInside(const SecretText& text)
{
    const auto object = reinterpret_cast<std::uintptr_t>(&text);
    const auto data = reinterpret_cast<std::uintptr_t>(text.data());
    return data >= object && data < object + sizeof text;
}

TEST(SecretText, EditsLikeAString)
{
    SecretText text("held");
    text.insert(0, "[");
    text.append(']');
    text.insert(3, "--");
    EXPECT_EQ(text.view(), "[he--ld]");
    text.erase(3, 2);
    text.erase(text.size() - 1, 10); // clipped at the end
    EXPECT_EQ(text.view(), "[held");
    EXPECT_THROW(text.insert(99, "x"), std::out_of_range);
    EXPECT_THROW(text.erase(99, 1), std::out_of_range);

    // Inserting a piece of itself survives the buffer growing under it.
    SecretText echo("abcdefghijklmnopqrstuvwxyz012345"); // fills the first buffer exactly
    echo.insert(1, echo.view());
    EXPECT_EQ(echo.view(), "aabcdefghijklmnopqrstuvwxyz012345bcdefghijklmnopqrstuvwxyz012345");
}

TEST(SecretText, NeverKeepsCharactersInsideTheObject)
{
    SecretText one("x");
    SecretText copy = one;
    SecretText moved = std::move(copy);
    for (const SecretText* text : {&one, &moved}) {
        EXPECT_FALSE(storedInside(*text));
    }
    EXPECT_TRUE(copy.empty());
    EXPECT_EQ(copy.data(), nullptr);
}

TEST(SecretText, ClearAndEraseZeroTheBytesTheyGiveUp)
{
    SecretText text("correct horse battery");
    const char* buffer = text.data();
    const std::size_t size = text.size();

    text.erase(7, 6); // "correct battery": the tail's old bytes must not linger past the new end
    for (std::size_t i = text.size(); i < size; ++i) {
        EXPECT_EQ(buffer[i], '\0') << i;
    }

    text.clear();
    EXPECT_TRUE(text.empty());
    ASSERT_EQ(text.data(), buffer) << "clear keeps the buffer, so its bytes can be inspected";
    for (std::size_t i = 0; i < size; ++i) {
        EXPECT_EQ(buffer[i], '\0') << i;
    }
}

TEST(SecretText, AssignmentReplacesTheWholeContent)
{
    SecretText text("longer password");
    text = SecretText("pw");
    EXPECT_EQ(text.view(), "pw");

    SecretText other("secret");
    const char* kept = other.data();
    other = text; // the old content is wiped in place before the copy
    EXPECT_EQ(other.data(), kept);
    EXPECT_EQ(other.view(), "pw");
    EXPECT_EQ(std::string_view(kept + 2, 4), std::string_view("\0\0\0\0", 4));
}

} // namespace

namespace {

using Buffers = std::vector<std::pair<const void*, std::size_t>>;
Buffers g_locked;
Buffers g_unlocked;

TEST(SecretText, EveryBufferIsLockedWhileItLivesAndUnlockedAfterItIsWiped)
{
    SecretText::setMemoryLock({[](const void* data, std::size_t size) noexcept { g_locked.emplace_back(data, size); },
                               [](const void* data, std::size_t size) noexcept {
                                   const auto* bytes = static_cast<const char*>(data);
                                   EXPECT_TRUE(std::all_of(bytes, bytes + size, [](char c) { return c == 0; }));
                                   g_unlocked.emplace_back(data, size);
                               }});
    {
        SecretText text("first");
        const void* first = text.data();
        text.append(std::string(40, 'x')); // grows into a second buffer
        ASSERT_EQ(g_locked.size(), 2u);
        EXPECT_EQ(g_locked[0].first, first);
        EXPECT_EQ(g_locked[1].first, text.data());
        EXPECT_EQ(g_unlocked, Buffers{g_locked[0]});
    }
    EXPECT_EQ(g_unlocked, g_locked);
    SecretText::setMemoryLock({});
}

} // namespace
