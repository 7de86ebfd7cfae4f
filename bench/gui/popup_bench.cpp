// A click on a value cell until its popup is shown and filled, for each popup
// kind built so far: the length editor, the sub-grid editor, the colour list
// and the font picker, over the shipped dictionary. The preparing of the property's entry, which every
// click does, is inside the loop. Run with QT_QPA_PLATFORM=offscreen; one
// frame is 16 ms.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QStandardPaths>
#include <QVBoxLayout>

#include <memory>
#include <string>
#include <vector>

#include "guibenchmain.h"
#include "dictionary/keyworddictionary.h"
#include "editors/colorformunit.h"
#include "editors/fontcatalog.h"
#include "editors/fontsunit.h"
#include "editors/formeditunit.h"
#include "editors/gstringgrid.h"
#include "editors/sggridunit.h"

namespace korvel {
namespace {

// A main window holding a property grid of a few rows, and the popups.
class Bench final {
 public:
  Bench() : dictionary_(KeywordDictionary::Load(KORVEL_DATA "/CSSKeywords.xml")) {
    auto* layout = new QVBoxLayout(&main_);
    grid_ = new GStringGrid(&main_);
    layout->addWidget(grid_);
    const char* rows[][2] = {{"width", "12px"},
                             {"margin", "1px 0 1px 0"},
                             {"font", "italic bold 12px/1.5 serif"},
                             {"color", "navy"},
                             {"font-family", "'DejaVu Serif', Georgia, serif"}};
    for (int row = 0; row < 5; ++row) {
      grid_->SetCellText(0, row, QString::fromUtf8(rows[row][0]));
      grid_->SetCellText(1, row, QString::fromUtf8(rows[row][1]));
    }
    main_.setGeometry(40, 40, 500, 300);
    main_.show();
    formEdit_ = std::make_unique<TFormEdit>(dictionary_.Active(), &main_);
    subGrid_ = std::make_unique<TSGGridForm>(dictionary_.Active(), &main_);
    colorForm_ = std::make_unique<TColorForm>(&main_);
    fontForm_ = std::make_unique<TFontForm>(&main_);
    // Listed at start-up, off the clock.
    fontForm_->SetFontFamilies(ListInstalledFontFamilies());
    QApplication::processEvents();
  }

  // What a click on the row's value does before the user sees the popup.
  void Prepare(int row) {
    grid_->SetCurrentRow(row);
    dictionary_.PrepareKeyword(grid_->CellText(0, row).toStdString(), grid_->CellText(1, row).toStdString());
  }
  void OpenFormEdit(int row) {
    Prepare(row);
    formEdit_->PlaceBeside(ValueCellInGlobal(*grid_, row));
    formEdit_->LoadValue(QString(), grid_->CellText(1, row));
    formEdit_->show();
    QApplication::processEvents();  // shown and painted
    formEdit_->hide();
  }
  void OpenSubGrid(int row) {
    Prepare(row);
    subGrid_->OpenSubGrid(ValueCellInGlobal(*grid_, row), grid_->ColumnWidth(1), grid_->CellText(1, row));
    QApplication::processEvents();
    subGrid_->hide();
  }
  void OpenColorList(int row) {
    Prepare(row);
    std::vector<std::string> items;
    dictionary_.Active().FillItemList(items, grid_->CellText(0, row).toStdString());
    QStringList keywords;
    for (const std::string& item : items) keywords << QString::fromStdString(item);
    colorForm_->ShowForCell(*grid_, keywords, grid_->CellText(1, row));
    QApplication::processEvents();
    colorForm_->hide();
  }
  void OpenFontPicker(int row) {
    Prepare(row);
    fontForm_->PlaceBeside(ValueCellInGlobal(*grid_, row));
    fontForm_->LoadValue(grid_->CellText(1, row));
    fontForm_->show();
    QApplication::processEvents();
    fontForm_->hide();
  }

 private:
  KeywordDictionary dictionary_;
  QWidget main_;
  GStringGrid* grid_ = nullptr;
  std::unique_ptr<TFormEdit> formEdit_;
  std::unique_ptr<TSGGridForm> subGrid_;
  std::unique_ptr<TColorForm> colorForm_;
  std::unique_ptr<TFontForm> fontForm_;
};

// Made on first use and destroyed by main, while the application still runs.
std::unique_ptr<Bench> shared;

Bench& Shared() {
  if (!shared) shared = std::make_unique<Bench>();
  return *shared;
}

void BM_OpenLengthEditor(benchmark::State& state) {
  Bench& bench = Shared();
  for (auto _ : state) bench.OpenFormEdit(0);
}
BENCHMARK(BM_OpenLengthEditor)->Unit(benchmark::kMillisecond);

void BM_OpenSubGridMargin(benchmark::State& state) {
  Bench& bench = Shared();
  for (auto _ : state) bench.OpenSubGrid(1);
}
BENCHMARK(BM_OpenSubGridMargin)->Unit(benchmark::kMillisecond);

void BM_OpenSubGridFont(benchmark::State& state) {
  Bench& bench = Shared();
  for (auto _ : state) bench.OpenSubGrid(2);
}
BENCHMARK(BM_OpenSubGridFont)->Unit(benchmark::kMillisecond);

void BM_OpenColorList(benchmark::State& state) {
  Bench& bench = Shared();
  for (auto _ : state) bench.OpenColorList(3);
}
BENCHMARK(BM_OpenColorList)->Unit(benchmark::kMillisecond);

void BM_OpenFontPicker(benchmark::State& state) {
  Bench& bench = Shared();
  for (auto _ : state) bench.OpenFontPicker(4);
}
BENCHMARK(BM_OpenFontPicker)->Unit(benchmark::kMillisecond);

}  // namespace

void DestroySharedBench() { shared.reset(); }

}  // namespace korvel

int main(int argc, char** argv) {
  return korvel::bench::RunWindowBenchmarks(argc, argv, [] { korvel::DestroySharedBench(); });
}
