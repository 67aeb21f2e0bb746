#pragma once

#include <string>
#include <string_view>

namespace pezolva::engine::detail {

// The password of a connect string such as ";pwd=SECRET": the value of the
// key "pwd" (any case) among the ";"-separated key=value parts; "" when the
// string is empty or has no such key.
std::string password_from_connect(std::string_view connect);

// A "file:" URI for `path` (made absolute), every byte outside the
// unreserved set and "/" percent-encoded, so no character of the path can
// be read as a URI parameter; `query` (e.g. "mode=rw") is appended as is.
std::string file_uri(const std::string& path, std::string_view query);

}  // namespace pezolva::engine::detail
