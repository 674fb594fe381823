// Every caption and message the program shows, looked up by string id in the current language.
//
// The language follows the user's locale (LC_ALL, LC_MESSAGES, LANG: Japanese when it starts with
// "ja"), unless OMNISETUP_LANG is "en" or "ja". Thread-safe: the table is constant and the
// language is an atomic value.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace omni::res {

enum class Language { English, Japanese };

// The language chosen from the environment at first use, or the one set last.
Language currentLanguage();
void setLanguage(Language language);

// The text of string `id` in the current (or given) language; a missing Japanese text falls back
// to English; an unknown id gives an empty view. The view stays valid for the whole run.
std::u16string_view loadString(std::uint32_t id);
std::u16string_view loadString(std::uint32_t id, Language language);

// True when the table has a row for `id`.
bool hasString(std::uint32_t id);

// UTF-8 form of loadString, for the command-line tool and logs.
std::string loadStringUtf8(std::uint32_t id);

// The text of string `id` with %1 to %9 replaced by args[0] to args[8] ("%%" is a percent sign;
// a placeholder without an argument is left as it stands).
std::u16string format(std::uint32_t id, std::initializer_list<std::u16string_view> args);
std::u16string format(std::uint32_t id, std::span<const std::u16string_view> args);
std::u16string format(std::uint32_t id, Language language,
                      std::initializer_list<std::u16string_view> args);
std::string formatUtf8(std::uint32_t id, std::initializer_list<std::string_view> args);

// The same filling for a pattern held elsewhere (a user's template, a test's pattern).
std::u16string formatText(std::u16string_view pattern,
                          std::initializer_list<std::u16string_view> args);

// UTF-16 <-> UTF-8 helpers shared by the core libraries (invalid input becomes U+FFFD).
std::string toUtf8(std::u16string_view text);
std::u16string fromUtf8(std::string_view text);

}  // namespace omni::res
