#include "engine/detail/connection_text.h"

#include <filesystem>

#include "common/text.h"

namespace pezolva::engine::detail {

std::string password_from_connect(std::string_view connect) {
    std::string password;
    while (!connect.empty()) {
        const auto semicolon = connect.find(';');
        const std::string_view part = connect.substr(0, semicolon);
        connect = semicolon == std::string_view::npos ? std::string_view()
                                                      : connect.substr(semicolon + 1);
        const auto equals = part.find('=');
        if (equals == std::string_view::npos) continue;
        if (iequals(trim(part.substr(0, equals)), "pwd"))
            password = std::string(part.substr(equals + 1));
    }
    return password;
}

std::string file_uri(const std::string& path, std::string_view query) {
    static const char* hex = "0123456789ABCDEF";
    const std::string absolute = std::filesystem::absolute(path).string();
    std::string uri = "file://";
    for (unsigned char c : absolute) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~' ||
                           c == '/';
        if (plain) {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += hex[c >> 4];
            uri += hex[c & 15];
        }
    }
    if (!query.empty()) {
        uri += '?';
        uri += query;
    }
    return uri;
}

}  // namespace pezolva::engine::detail
