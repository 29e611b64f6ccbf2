// The text of the history file: a header line, then one action per line.
//
//   Spamwarden history 2
//   <id> TAB <time> TAB <state> TAB <command> TAB <entries> TAB <messages> TAB <stores> TAB
//   <folders>
//
// UTF-8, lines ending in LF. <id> is decimal; <time> is local time as
// 2024-05-01T13:45:12.345; <state> is "done" or "undone"; <command> and each
// of the comma-separated <entries> are text in which '%', ',', TAB, control
// characters and lone surrogates are escaped (%XX for a character below
// 0x80, %uXXXX for a UTF-16 unit). A run's messages mostly share one store
// and few source folders, and those ids are long, so each of the
// comma-separated <messages> is "<entry id>/<store>/<folder>/<origin>" with the
// positions of its ids in <stores> and <folders>, tables of distinct
// hexadecimal ids, comma-separated (an empty position: an empty id); <origin>
// is the store of the folder it came from, a position in <stores> too.
//
// Version 1 had no <origin>: a message of three parts is read as one whose
// origin store is unknown, in a file of either version, and is written so.
// A version 1 reader refuses any line holding a fourth part, but sets a file
// of a later version aside whole, so the version changed with it; a file of
// version 1 is read and, at the next write, rewritten as version 2.
#pragma once

#include "store/history.h"
#include "store/history_fields.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace sw {

inline constexpr unsigned kHistoryFormatVersion = 2;

// "Spamwarden history 2" and its line break.
std::string HistoryHeaderLine();
// The version a header line names, or nothing when the line is no header.
std::optional<unsigned> HistoryHeaderVersion(std::string_view line);

// The action's line without its line break. Messages with an id that is not
// hexadecimal cannot be found again: they are left out, counted in `skipped`.
std::string FormatHistoryLine(const HistoryAction& action, size_t* skipped = nullptr);
// Reads one line (without its line break, a final CR allowed); false, with
// `action` unspecified, when any part of it is malformed. The messages are
// checked and counted, and kept when `keepMessages` is empty or answers true
// for the action's id.
[[nodiscard]] bool ParseHistoryLine(std::string_view line, HistoryAction& action,
                                    const std::function<bool(std::uint64_t)>& keepMessages = {});

} // namespace sw
