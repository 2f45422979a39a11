// Printing a list of 10,000 items to a PDF file through the program's own
// print path (list printer, painter surface, QPrinter), beside
// `enscript -q -B -p - FILE | ps2pdf - OUT.pdf` on the same list file in the
// same run. Target: printing takes at most enscript's time.
//
// bench_gui_print [--list FILE] [benchmark options]
// Without --list a generated list of 10,000 lines is used. The enscript side
// needs enscript and ghostscript (ps2pdf).
#include "benchlistview.h"
#include "benchoptions.h"
#include "listgenerator.h"

#include "listfile/listfileio.h"
#include "app/listprinter.h"
#include "app/painterprintsurface.h"
#include "app/projectlistmodel.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QPrinter>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

ProjectListModel* listView = nullptr;
std::string listPath;
std::filesystem::path outputFolder;

long long fileSize(const std::filesystem::path& path)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? -1 : static_cast<long long>(size);
}

void BM_PrintListToPdf(benchmark::State& state)
{
    const std::filesystem::path pdf = outputFolder / "quindle.pdf";
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf.string()));
    PrintOptions options;
    options.font = QFont(QStringLiteral("MS Sans Serif"), 8);
    for (auto _ : state) {
        PainterPrintSurface surface(printer);
        ListPrinter listPrinter(surface);
        if (listPrinter.print(*listView, options) != PrintOutcome::Printed) {
            state.SkipWithError("the print was aborted");
            return;
        }
    }
    state.counters["items"] = listView->count();
    state.counters["pages"] = listView->count() / ListPrinter::rowsPerPage + 1;
    state.counters["pdf_bytes"] = static_cast<double>(fileSize(pdf));
}
BENCHMARK(BM_PrintListToPdf)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_EnscriptPs2pdf(benchmark::State& state)
{
    if (std::system("command -v enscript >/dev/null 2>&1 && command -v ps2pdf >/dev/null 2>&1") != 0) {
        state.SkipWithError("enscript or ps2pdf (ghostscript) is not installed");
        return;
    }
    const std::filesystem::path pdf = outputFolder / "enscript.pdf";
    const std::string command = "enscript -q -B -p - '" + listPath + "' | ps2pdf - '" + pdf.string() + "'";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("enscript | ps2pdf failed");
            return;
        }
    }
    state.counters["pdf_bytes"] = static_cast<double>(fileSize(pdf));
}
BENCHMARK(BM_EnscriptPs2pdf)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const bool given = takeOption(argc, argv, "--list", listPath);
    benchmark::Initialize(&argc, argv);

    std::string pattern = (std::filesystem::temp_directory_path() / "quindle-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        std::perror("bench_gui_print: temporary folder");
        return 1;
    }
    outputFolder = pattern;
    if (!given) {
        listPath = (outputFolder / "Projects.txt").string();
        if (writeGeneratedList(listPath, {10000, 0, 1}) < 0) {
            std::fprintf(stderr, "bench_gui_print: cannot write %s\n", listPath.c_str());
            return 1;
        }
    }

    ProjectListModel model;
    fillFromListFile(model, listPath);
    listView = &model;
    benchmark::AddCustomContext("list", listPath + ", " + std::to_string(model.count()) + " items");

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(outputFolder);
    return 0;
}
