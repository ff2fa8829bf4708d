// Completion of an address typed into the address box.
#pragma once

#include <string>
#include <string_view>

/// Completes a typed address (UTF-8) before the browser navigates to it: an address with a scheme
/// (letters, ":", "//"), one that contains "http://" or "file://" anywhere, or one with a drive
/// letter stays as typed; an absolute local path ("/…", or "~/…" under `homeDirectory`) becomes a
/// file address; anything else gets "http://" in front.
std::string CompleteAddress(std::string_view typed, std::string_view homeDirectory);
