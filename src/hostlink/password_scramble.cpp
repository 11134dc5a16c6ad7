#include "hostlink/password_scramble.h"

namespace kestra::hostlink {

std::string scramble_password(std::string_view text) {
    std::string out(text.substr(0, kLoginFieldMax));
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char>(static_cast<unsigned char>(out[i]) ^ static_cast<unsigned char>(i + 1));
    return out;
}

}  // namespace kestra::hostlink
