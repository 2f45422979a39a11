#pragma once
// A pass over a large list is bound by memory, not by the processor: two
// threads, each going through one half of the lines, take about half the
// time. A small list is gone through on the calling thread.
#include <cstddef>
#include <future>
#include <system_error>
#include <utility>

// From this many lines a pass is worth a second thread.
constexpr std::size_t twoHalvesFrom = 100'000;

// Calls pass(first, last) on [0, middle) and [middle, count), the second
// half on a thread of its own when count is large, and returns both
// results, first half first.
template <typename Pass>
auto inTwoHalves(std::size_t count, Pass pass) -> std::pair<decltype(pass(0, 0)), decltype(pass(0, 0))>
{
    const std::size_t middle = count / 2;
    if (count >= twoHalvesFrom) {
        try {
            auto second = std::async(std::launch::async, pass, middle, count);
            auto first = pass(0, middle);
            return {std::move(first), second.get()};
        } catch (const std::system_error&) {
            // No thread to be had: one half after the other.
        }
    }
    auto first = pass(0, middle);
    return {std::move(first), pass(middle, count)};
}
