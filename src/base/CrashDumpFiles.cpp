#include "base/CrashDumpFiles.h"

namespace velm {
namespace {

// Writes into a fixed buffer, never past it; Finish says whether everything fitted.
class NameWriter {
public:
    NameWriter(wchar_t* out, std::size_t capacity) noexcept : out_(out), capacity_(capacity) {}

    void Text(const char* text) noexcept {
        while (*text) {
            Put(static_cast<wchar_t>(static_cast<unsigned char>(*text++)));
        }
    }
    void Digits(unsigned value, unsigned width) noexcept {
        wchar_t digits[10];
        unsigned count = 0;
        do {
            digits[count++] = static_cast<wchar_t>(L'0' + value % 10);
            value /= 10;
        } while (value && count < 10);
        while (count < width && count < 10) {
            digits[count++] = L'0';
        }
        while (count) {
            Put(digits[--count]);
        }
    }
    bool Finish() noexcept {
        if (!fits_ || length_ >= capacity_) {
            if (capacity_) {
                out_[0] = 0;
            }
            return false;
        }
        out_[length_] = 0;
        return true;
    }

private:
    void Put(wchar_t c) noexcept {
        if (length_ + 1 < capacity_) {
            out_[length_++] = c;
        } else {
            fits_ = false;
        }
    }

    wchar_t* out_;
    std::size_t capacity_;
    std::size_t length_ = 0;
    bool fits_ = true;
};

std::size_t Length(const wchar_t* text) noexcept {
    std::size_t n = 0;
    while (text[n]) {
        ++n;
    }
    return n;
}

bool Same(const wchar_t* a, const wchar_t* b) noexcept {
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

bool NameBefore(const wchar_t* a, const wchar_t* b) noexcept {
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return *a < *b;
}

} // namespace

bool DumpFileName(const char* program, const char* version, const DumpTime& time, unsigned n,
                  wchar_t* out, std::size_t capacity) noexcept {
    NameWriter name(out, capacity);
    name.Text(program);
    name.Text("-");
    name.Text(version);
    name.Text("-");
    name.Digits(time.year, 4);
    name.Digits(time.month, 2);
    name.Digits(time.day, 2);
    name.Text("-");
    name.Digits(time.hour, 2);
    name.Digits(time.minute, 2);
    name.Digits(time.second, 2);
    if (n >= 2) {
        name.Text("-");
        name.Digits(n, 1);
    }
    name.Text(".dmp");
    return name.Finish();
}

bool IsDumpFileName(const wchar_t* name) noexcept {
    const std::size_t length = Length(name);
    if (length < 4) {
        return false;
    }
    const wchar_t* ending = name + length - 4;
    const wchar_t* expected = L".dmp";
    for (int i = 0; i < 4; ++i) {
        wchar_t c = ending[i];
        if (c >= L'A' && c <= L'Z') {
            c = static_cast<wchar_t>(c - L'A' + L'a');
        }
        if (c != expected[i]) {
            return false;
        }
    }
    return true;
}

void NewestDumps::Offer(const wchar_t* name, std::uint64_t time) noexcept {
    const std::size_t length = Length(name);
    if (length >= kNameCapacity) {
        return;
    }
    const auto newer = [](std::uint64_t t, const wchar_t* n, const Entry& e) {
        return t != e.time ? t > e.time : NameBefore(e.name, n);
    };
    for (std::size_t i = 0; i < count_; ++i) {
        if (Same(kept_[i].name, name)) {
            if (time <= kept_[i].time) {
                return;
            }
            // Taken out and put back in its new place below.
            for (std::size_t j = i; j + 1 < count_; ++j) {
                kept_[j] = kept_[j + 1];
            }
            --count_;
            break;
        }
    }
    // kept_ runs newest first; find the place, dropping the oldest when all places are taken.
    std::size_t at = 0;
    while (at < count_ && !newer(time, name, kept_[at])) {
        ++at;
    }
    if (at == kKept) {
        return;
    }
    const std::size_t last = count_ < kKept ? count_ : kKept - 1;
    for (std::size_t j = last; j > at; --j) {
        kept_[j] = kept_[j - 1];
    }
    kept_[at].time = time;
    for (std::size_t k = 0; k <= length; ++k) {
        kept_[at].name[k] = name[k];
    }
    if (count_ < kKept) {
        ++count_;
    }
}

bool NewestDumps::Keeps(const wchar_t* name) const noexcept {
    for (std::size_t i = 0; i < count_; ++i) {
        if (Same(kept_[i].name, name)) {
            return true;
        }
    }
    return false;
}

} // namespace velm
