// Loading (tokenize and parse into the StyleDocument) and writing, in bytes
// per second, on real framework stylesheets and on generated ones of 200 KB
// and 20 MB: the two generated sizes show whether the work grows linearly.
//
// Real stylesheets: the extracts under tests/fixtures/frameworks/ (together),
// and whole framework files when tools/acceptance has installed them.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "model/cssparser.h"
#include "model/csswriter.h"
#include "model/filebytes.h"
#include "stylesheetgenerator.h"
#include "throughput.h"

namespace {

namespace fs = std::filesystem;

using TextSource = std::function<const std::string&()>;

// Generated texts are made on first use, so that listing or filtering the
// benchmarks does not pay for the 20 MB one.
TextSource Generated(std::size_t bytes) {
  return [bytes]() -> const std::string& {
    static std::map<std::size_t, std::string> texts;
    auto [it, inserted] = texts.try_emplace(bytes);
    if (inserted) it->second = korvel::bench::StylesheetGenerator().Generate(bytes);
    return it->second;
  };
}

// The extracts of real frameworks kept as test fixtures, one after another.
TextSource FrameworkExtracts() {
  auto text = std::make_shared<std::string>();
  return [text]() -> const std::string& {
    if (!text->empty()) return *text;
    std::vector<fs::path> extracts;
    for (const auto& entry : fs::directory_iterator(fs::path(KORVEL_FIXTURES) / "frameworks")) {
      const std::string file = entry.path().filename().string();
      if (file.ends_with(".css") && !file.ends_with(".saved.css")) extracts.push_back(entry.path());
    }
    std::sort(extracts.begin(), extracts.end());
    for (const fs::path& path : extracts) *text += korvel::ReadFileBytes(path.string()) + "\n";
    return *text;
  };
}

TextSource FileText(const fs::path& path) {
  auto text = std::make_shared<std::string>();
  return [path, text]() -> const std::string& {
    if (text->empty()) *text = korvel::ReadFileBytes(path.string());
    return *text;
  };
}

void Load(benchmark::State& state, const TextSource& source) {
  const std::string& css = source();
  // Shared with the document, as the window shares the bytes it read.
  const auto bytes = std::make_shared<const std::string>(css);
  for (auto _ : state) {
    korvel::StyleDocument document = korvel::ReadStylesheet(bytes);
    benchmark::DoNotOptimize(document.Root());
  }
  korvel::bench::ReportThroughput(state, css.size());
  state.counters["bytes"] = static_cast<double>(css.size());
}

// Measured against the bytes read, so that load and write figures compare.
void Write(benchmark::State& state, const TextSource& source) {
  const std::string& css = source();
  const korvel::StyleDocument document = korvel::ReadStylesheet(css);
  for (auto _ : state) {
    std::string saved = korvel::Write(document);
    benchmark::DoNotOptimize(saved.data());
  }
  korvel::bench::ReportThroughput(state, css.size());
  state.counters["bytes"] = static_cast<double>(css.size());
}

void RegisterBoth(const std::string& name, const TextSource& source) {
  benchmark::RegisterBenchmark(("Load/" + name).c_str(), Load, source)->Unit(benchmark::kMillisecond)->UseRealTime();
  benchmark::RegisterBenchmark(("Write/" + name).c_str(), Write, source)->Unit(benchmark::kMillisecond)->UseRealTime();
}

const bool kRegistered = [] {
  const fs::path source = fs::path(KORVEL_FIXTURES).parent_path().parent_path();
  const fs::path installed = source / "tools" / "acceptance" / "node_modules";
  for (const char* file : {"bootstrap/dist/css/bootstrap.css", "bulma/css/bulma.css"}) {
    const fs::path path = installed / file;
    if (fs::exists(path)) RegisterBoth(path.filename().string(), FileText(path));
  }
  RegisterBoth("framework-extracts", FrameworkExtracts());
  RegisterBoth("generated-200KB", Generated(200 * 1000));
  RegisterBoth("generated-20MB", Generated(20 * 1000 * 1000));
  return true;
}();

}  // namespace
