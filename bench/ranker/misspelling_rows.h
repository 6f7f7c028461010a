// The Wikipedia misspellings as the ranker's benchmarks read them: rows of a
// single-word misspelling and its corrections, split into odd and even rows
// (the odd ones for tuning, the even ones held out).
#pragma once

#include <time.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace lumo::bench {

struct Row {
    std::string word;
    std::vector<std::string> corrections;
};

inline std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c | 0x20);
    return s;
}

inline void load_rows(const std::string& file, std::vector<Row>& odd, std::vector<Row>& even) {
    std::ifstream in(file);
    std::string line;
    size_t number = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        ++number;
        std::istringstream fields(line);
        Row row;
        std::string list;
        std::getline(fields, row.word, '\t');
        std::getline(fields, list, '\t');
        if (row.word.empty() || !std::all_of(row.word.begin(), row.word.end(), [](char c) {
                return ((c | 0x20) >= 'a' && (c | 0x20) <= 'z') || c == '\'' || c == '-';
            }))
            continue;
        std::istringstream items(list);
        std::string item;
        while (std::getline(items, item, ',')) {
            const size_t a = item.find_first_not_of(' ');
            const size_t b = item.find_last_not_of(' ');
            if (a != std::string::npos) row.corrections.push_back(lower(item.substr(a, b - a + 1)));
        }
        (number % 2 == 1 ? odd : even).push_back(row);
    }
}

// Time on the calling thread's CPU: the machine is shared, and wall time
// would count the other processes' turns as well.
inline double thread_us() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

}  // namespace lumo::bench
