#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

// A console reporter that also keeps each benchmark's time per iteration, so that a benchmark
// can print its figures as ratios against a baseline measured in the same run.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    std::map<std::string, double> times;

    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                times[plainName(run.benchmark_name())] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // A benchmark's name without the "/manual_time" or "/real_time" the library appends.
    static std::string plainName(std::string name)
    {
        for (const std::string suffix : {"/manual_time", "/real_time"}) {
            if (name.size() > suffix.size() &&
                name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
                name.erase(name.size() - suffix.size());
        }
        return name;
    }

    // Prints measured / baseline, when both ran.
    void ratio(const char *what, const std::string &measured, const std::string &baseline)
    {
        if (times.count(measured) && times.count(baseline) && times[baseline] > 0)
            std::printf("%-60s %8.2f x %s\n", what, times[measured] / times[baseline],
                        baseline.c_str());
    }
};
