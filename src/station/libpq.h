#pragma once
// libpq as the server driver loaded it. The station does not link it, so that a station on
// SQLite files starts without it; every use comes after a server connection opened, when the
// driver has loaded it. Its header gives the functions' types and constants.

#include <dlfcn.h>
#include <libpq-fe.h>

namespace pw {

class LoadedLibpq {
public:
    LoadedLibpq()
        : handle_(dlopen("libpq.so.5", RTLD_LAZY | RTLD_NOLOAD)) {}
    ~LoadedLibpq() {
        if (handle_)
            dlclose(handle_);
    }
    LoadedLibpq(const LoadedLibpq&) = delete;
    LoadedLibpq& operator=(const LoadedLibpq&) = delete;

    // The function of that name, declared as F; null when libpq is not loaded.
    template <typename F> F* function(F*, const char* name) const {
        return handle_ ? reinterpret_cast<F*>(dlsym(handle_, name)) : nullptr;
    }

private:
    void* handle_;
};

// The functions that read a server's answer, found once for many rows.
struct AnswerFunctions {
    explicit AnswerFunctions(const LoadedLibpq& libpq)
        : ftype(libpq.function(PQftype, "PQftype"))
        , getisnull(libpq.function(PQgetisnull, "PQgetisnull"))
        , getvalue(libpq.function(PQgetvalue, "PQgetvalue"))
        , getlength(libpq.function(PQgetlength, "PQgetlength")) {}
    bool usable() const { return ftype && getisnull && getvalue && getlength; }

    decltype(&PQftype) ftype;
    decltype(&PQgetisnull) getisnull;
    decltype(&PQgetvalue) getvalue;
    decltype(&PQgetlength) getlength;
};

} // namespace pw
