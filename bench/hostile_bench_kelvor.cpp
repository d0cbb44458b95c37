// Kelvor's start and exit with many saved files, a case of the hostile-input
// benchmark.
#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "app/U_kelvor.h"
#include "bench/hostile_bench.h"

namespace hostile {
namespace {

// Writes the settings file of Files new empty files in Dir, named after Tag;
// answers its name.
std::string KelvorSettings(const std::string& dir, int files, const std::string& tag)
{
    std::string ini =
        "[Options]\nActive=1\nSaveSettings=1\nLeft=0\nTop=0\nWidth=800\nHeight=600\n[TailFiles]\n";
    for (int i = 0; i < files; ++i) {
        const std::string log = dir + "/f" + tag + "-" + std::to_string(i) + ".log";
        std::ofstream(log) << "";
        ini += "File" + std::to_string(i) + "=" + log + "\n";
    }
    const std::string name = dir + "/k" + tag + ".ini";
    std::ofstream(name) << ini;
    return name;
}

// Starts a window on each settings file (the first start timed by the
// clock) and closes them all one after the other (timed together in this
// thread's processor time, which the other programs of a busy machine do not
// add to, the time divided among them).
TKelvorCost KelvorRun(const std::vector<std::string>& settings, int files)
{
    std::vector<TForm1*> forms;
    TKelvorCost cost;
    for (const std::string& name : settings) {
        SetCommandLine({AnsiString(), name});
        const auto begin = Clock::now();
        auto* form = new TForm1(nullptr);
        form->AfterConstruction();
        form->Show();
        QCoreApplication::processEvents();
        if (forms.empty())
            cost.Start = std::chrono::duration<double>(Clock::now() - begin).count();
        if (form->Tail->GetCount() != files)
            std::fprintf(stderr, "hostile_bench: %d of %d files opened\n", form->Tail->GetCount(), files);
        forms.push_back(form);
    }
    const double closing = ThreadSeconds();
    for (TForm1* form : forms)
        form->Free();
    cost.Exit = (ThreadSeconds() - closing) / double(forms.size());
    return cost;
}

} // namespace

TKelvorCosts KelvorStartAndExit(const std::string& dir, int small, int large, int rounds)
{
    const std::vector<std::string> settings[2] = {
        {KelvorSettings(dir, small, "a"), KelvorSettings(dir, small, "b")},
        {KelvorSettings(dir, large, "c")}};
    const int files[2] = {small, large};
    TKelvorCosts costs;
    std::vector<double> startRatios, exitRatios;
    for (int round = 0; round <= rounds; ++round) {
        TKelvorCost cost[2];
        for (int k = 0; k < 2; ++k) {
            const int which = (round + k) % 2;
            cost[which] = KelvorRun(settings[which], files[which]);
        }
        if (round == 0)
            continue;
        for (int which = 0; which < 2; ++which) {
            costs.Best[which].Start = std::min(costs.Best[which].Start, cost[which].Start);
            costs.Best[which].Exit = std::min(costs.Best[which].Exit, cost[which].Exit);
        }
        startRatios.push_back(cost[1].Start / cost[0].Start);
        exitRatios.push_back(cost[1].Exit / cost[0].Exit);
    }
    costs.StartRatio = Median(startRatios);
    costs.ExitRatio = Median(exitRatios);
    return costs;
}

} // namespace hostile
