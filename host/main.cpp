// Substitute host: runs the TOVAR-VANTREL editor component on the simulated instrument.
#include "SubstituteHost.h"
#include "simulator/SimulatedSurface.h"
#include <QString>
#include <cstdio>
#include <cstring>

namespace {

void usage()
{
    std::puts("usage: vantrel_host [options]\n"
              "  --project FILE     project file (default: the user's host project)\n"
              "  --no-project       neither read nor write a project\n"
              "  --no-save          do not save the project at the end\n"
              "  --screenshot FILE  offscreen: write the editor window to a PNG and end\n"
              "  --screenshot-dir DIR  offscreen: write each open editor window to\n"
              "                     DIR/<name>-<id>.png and end\n"
              "  --open NAME[:ID]   open an editor window once the page is shown (repeatable);\n"
              "                     NAME: mixer, common, part, dialogs or a module identifier;\n"
              "                     ID: the editor id (default 1), e.g. part:5\n"
              "  --page N           show page N (from 0) in every open detail window\n"
              "  --delay MS         wait before the screenshot (default 1500)\n"
              "  --run-for MS       end after that long\n"
              "  --measure          print start-up time, memory and idle processor use\n"
              "  --no-simulator     do not offer the simulated instrument\n"
              "  --no-surface       do not offer the simulated control surface\n"
              "  --surface-text     print the simulated surface's display and lamps as they change\n"
              "  --surface-key NAME press and release that key of the simulated surface once the\n"
              "                     page is shown (repeatable, in order); REMOTE hands the\n"
              "                     surface to the editor, e.g. --surface-key remote\n"
              "  --component FILE   the component library to load");
}

} // namespace

int main(int argc, char** argv)
{
    NS_Host::HostOptions options;
    options.projectPath = NS_Host::SubstituteHost::defaultProjectPath();
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        auto value = [&]() -> QString {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "vantrel_host: %s needs a value\n", a);
                std::exit(64);
            }
            return QString::fromLocal8Bit(argv[++i]);
        };
        if (!std::strcmp(a, "--project"))
            options.projectPath = value();
        else if (!std::strcmp(a, "--no-project"))
            options.projectPath.clear();
        else if (!std::strcmp(a, "--no-save"))
            options.saveOnExit = false;
        else if (!std::strcmp(a, "--screenshot"))
            options.screenshotPath = value();
        else if (!std::strcmp(a, "--screenshot-dir"))
            options.screenshotDir = value();
        else if (!std::strcmp(a, "--open")) {
            NS_Host::EditorRequest request;
            QString error;
            if (!NS_Host::parseEditorRequest(value(), &request, &error)) {
                std::fprintf(stderr, "vantrel_host: --open %s\n", qPrintable(error));
                return 64;
            }
            options.openEditors.push_back(request);
        } else if (!std::strcmp(a, "--page"))
            options.page = value().toInt();
        else if (!std::strcmp(a, "--delay"))
            options.screenshotDelayMs = value().toInt();
        else if (!std::strcmp(a, "--run-for"))
            options.runForMs = value().toInt();
        else if (!std::strcmp(a, "--measure"))
            options.measure = true;
        else if (!std::strcmp(a, "--no-simulator"))
            options.simulator = false;
        else if (!std::strcmp(a, "--no-surface"))
            options.surface = false;
        else if (!std::strcmp(a, "--surface-text"))
            options.surfaceText = true;
        else if (!std::strcmp(a, "--surface-key")) {
            const QString name = value();
            if (NS_Simulator::SimulatedSurface::keyNumber(name.toStdString()) < 0) {
                std::fprintf(stderr, "vantrel_host: --surface-key: the surface has no key %s\n", qPrintable(name));
                return 64;
            }
            options.surfaceKeys << name;
        } else if (!std::strcmp(a, "--component"))
            options.componentPath = value();
        else if (!std::strcmp(a, "--help") || !std::strcmp(a, "-h")) {
            usage();
            return 0;
        } else {
            std::fprintf(stderr, "vantrel_host: unknown option %s\n", a);
            usage();
            return 64;
        }
    }
    // A run that ends by itself has nobody to answer the editor's start-up prompt or
    // warnings; the prompt asked for with --open is left to the open call that shows it.
    const bool unattended = !options.screenshotPath.isEmpty() || !options.screenshotDir.isEmpty()
                            || options.runForMs > 0 || options.measure;
    options.closePresetPrompt = unattended;
    options.closeStartupWarnings = unattended;
    NS_Host::SubstituteHost::endOnSignals();
    NS_Host::SubstituteHost host(options);
    return host.exec();
}
