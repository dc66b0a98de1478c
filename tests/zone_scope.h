// Pins the local time zone for a test. Natively the zone is switched in-process (TZ + tzset);
// a Windows process under Wine keeps the zone it was started with (the runner's MORAVEL_TZ),
// so there a scope for any other zone reports that it cannot apply and the case is skipped.
#pragma once

#include <cstdlib>
#include <ctime>
#include <string>

class ZoneScope {
public:
    explicit ZoneScope(const char* zone) {
#ifdef _WIN32
        const char* current = std::getenv("TZ");
        applies_ = current != nullptr && std::string(current) == zone;
#else
        const char* old = std::getenv("TZ");
        had_old_ = old != nullptr;
        if (had_old_) old_ = old;
        setenv("TZ", zone, 1);
        tzset();
        applies_ = true;
#endif
    }
    ~ZoneScope() {
#ifndef _WIN32
        if (had_old_)
            setenv("TZ", old_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
#endif
    }
    ZoneScope(const ZoneScope&) = delete;
    ZoneScope& operator=(const ZoneScope&) = delete;

    bool Applies() const {
        return applies_;
    }

private:
    bool applies_ = false;
#ifndef _WIN32
    bool had_old_ = false;
    std::string old_;
#endif
};

// Skips the rest of a test when its zone cannot be pinned in this process.
#define PIN_ZONE(zone)          \
    ZoneScope zoneScope_(zone); \
    if (!zoneScope_.Applies()) GTEST_SKIP() << "this process runs in another zone"
