#pragma once
// The main of the benchmarks that run the editor with its toolkit: offscreen, the data
// of this build, settings of their own, the editor's log quiet.
#include <QApplication>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <functional>

enum class BenchMidi { Virtual, AsChosen };

inline int runToolkitBenchmarks(int argc, char** argv, BenchMidi midi, const std::function<void()>& started = {},
                                const std::function<void()>& ended = {})
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (midi == BenchMidi::Virtual)
        setenv("VANTREL_MIDI_BACKEND", "virtual", 0);
    setenv("VANTREL_BUNDLE_DIR", VANTREL_BUNDLE_DIR, 0);
    // The editor's settings stay out of the user's own.
    QTemporaryDir config;
    if (config.isValid())
        setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
    QApplication app(argc, argv);
    if (started)
        started();
    QLoggingCategory::setFilterRules(QStringLiteral("tovar.*=false"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (ended)
        ended();
    return 0;
}
