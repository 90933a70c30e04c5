#include "core/secret.h"

#include <cstring>

namespace vaskor {

void EffacerMemoire(void* p, std::size_t n) noexcept
{
    if (p && n) ::explicit_bzero(p, n);
}

void EffacerTexte(std::string& s) noexcept
{
    // Growing to the capacity never reallocates; it makes every byte of the buffer part of the
    // string, so the wipe covers what an earlier, longer content left past the current end.
    s.resize(s.capacity());
    EffacerMemoire(s.data(), s.size());
    s.clear();
}

TexteSecret& TexteSecret::operator=(const TexteSecret& o)
{
    if (this != &o) *this = std::string_view(o.t_);
    return *this;
}

TexteSecret& TexteSecret::operator=(TexteSecret&& o) noexcept
{
    if (this != &o) {
        EffacerTexte(t_);
        t_ = std::move(o.t_);
        EffacerTexte(o.t_);
    }
    return *this;
}

TexteSecret& TexteSecret::operator=(std::string_view s)
{
    // A longer text reallocates: the old buffer is wiped before it is freed.
    EffacerTexte(t_);
    t_.assign(s);
    return *this;
}

TexteSecret TexteSecret::Concatener(std::string_view a, std::string_view b)
{
    TexteSecret r;
    r.t_.reserve(a.size() + b.size());
    r.t_.append(a).append(b);
    return r;
}

}  // namespace vaskor
