#pragma once

// The attacks the probe runs against one scoring server over loopback, each
// bounded in what it sends and in time: it ends by its deadline at the latest.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// How long each attack lasts, in milliseconds.
inline constexpr int AttackMs = 8000;

struct AttackTarget {
    std::uint16_t tcpPort = 0; // the station port
    std::uint16_t webPort = 0; // the web pages, browser stations and live results
    std::string pin;
};

struct Attack {
    const char* name;
    // Runs the attack until it is done or the deadline (steady milliseconds)
    // has passed, and says what became of it ("closed by the server after 64 KiB").
    std::function<std::string(const AttackTarget&, std::int64_t deadlineMs)> run;
    // When the judge logs in, after the attack started: once it is under way.
    int loginAfterMs = 1500;
};

// Every attack, in the order the probe runs them.
std::vector<Attack> attacks();
