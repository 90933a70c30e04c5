#pragma once
// Clear passwords do not stay behind in freed memory: the bytes that held one are overwritten
// before the memory goes back to the allocator (or the stack frame is left), by a write the
// compiler may not drop as dead.

#include <cstddef>
#include <string>
#include <string_view>

namespace vaskor {

void EffacerMemoire(void* p, std::size_t n) noexcept;
// Overwrites the whole buffer of `s` (its capacity, not only its size), then empties it; the
// buffer is kept, so a later assignment of no greater length reuses the wiped bytes.
void EffacerTexte(std::string& s) noexcept;

// A text holding a secret: wiped when destroyed, replaced or moved from. Moving a short
// std::string copies its bytes out of the object's inline buffer and leaves them there, so a
// move wipes its source as well. Copies are real copies, each wiped on its own.
class TexteSecret {
public:
    TexteSecret() = default;
    TexteSecret(std::string_view s) : t_(s) {}  // NOLINT: a secret is built from any text
    TexteSecret(const char* s) : t_(s) {}       // NOLINT
    // Takes the bytes of `s` and wipes what the move leaves in it.
    explicit TexteSecret(std::string&& s) noexcept : t_(std::move(s)) { EffacerTexte(s); }
    TexteSecret(const TexteSecret& o) : t_(o.t_) {}
    TexteSecret(TexteSecret&& o) noexcept : t_(std::move(o.t_)) { EffacerTexte(o.t_); }
    TexteSecret& operator=(const TexteSecret& o);
    TexteSecret& operator=(TexteSecret&& o) noexcept;
    TexteSecret& operator=(std::string_view s);
    TexteSecret& operator=(const char* s) { return *this = std::string_view(s); }
    ~TexteSecret() { EffacerTexte(t_); }

    const std::string& Lire() const { return t_; }
    operator std::string_view() const { return t_; }
    bool empty() const { return t_.empty(); }
    std::size_t size() const { return t_.size(); }
    bool operator==(std::string_view s) const { return t_ == s; }

    // a + b built in one buffer sized at once, so no growth leaves a partial copy behind.
    static TexteSecret Concatener(std::string_view a, std::string_view b);

private:
    std::string t_;
};

}  // namespace vaskor
