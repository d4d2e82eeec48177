#pragma once
// The results chart's sample data for the chart tools and the chart benchmark: 35 parties
// with their votes (0 to 5000) and seats (0 to 25 in all), the same on every run.
#include <cstdint>
#include <string>
#include <vector>

struct ChartSample {
    std::vector<std::string> parties;
    std::vector<double> votes, seats;
};

inline ChartSample resultsSample() {
    static const char* const kParties[] = {
        "PSOE", "IU",   "LV",  "PA",  "PSC", "PP",     "CC",  "FE",  "DN",  "ERC", "ICV",  "BNG",
        "PSA",  "CIU",  "UPN", "EA",  "PNV", "ANV",    "CDC", "CHA", "ARALAR", "PAS", "PAR", "EU",
        "AA",   "UV",   "BLOC", "CDN", "ENV", "PHC",   "CNC", "PR",  "PSM", "UM",  "INDEP"};
    ChartSample s;
    uint32_t seed = 20240607;
    double total = 0;
    for (const char* p : kParties) {
        seed = seed * 1664525u + 1013904223u;
        double v = double((seed >> 8) % 5001);
        s.parties.push_back(p);
        s.votes.push_back(v);
        total += v;
    }
    // Seats roughly in proportion, whole numbers.
    for (double v : s.votes) s.seats.push_back(double(int(v / total * 25 + 0.5)));
    return s;
}
