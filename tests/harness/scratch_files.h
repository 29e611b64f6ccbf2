// Files of tests that run against the real file system: a path in the
// system's temporary folder, and whole files read and written as bytes.
#pragma once

#include <string>

namespace sw::test {

// "<temp>\spamwarden-<process id>-<name>": unique to this test process.
std::wstring ScratchPath(const std::wstring& name);

// The whole file; empty when it cannot be read.
std::string ReadBytes(const std::wstring& path);
// Replaces the file with `bytes`.
void WriteBytes(const std::wstring& path, const std::string& bytes);

} // namespace sw::test
