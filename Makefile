# Two commands for a fresh Debian 12 machine: `make run` and `make test`.
# Both install what is missing, configure and build.

BUILD ?= build
GENERATOR ?= Ninja
BUILD_TYPE ?= RelWithDebInfo

DEBS := cmake ninja-build g++ pkg-config libpugixml-dev python3 \
        libgtest-dev libgmock-dev libbenchmark-dev \
        qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev libcpp-httplib-dev qt6-translations-l10n \
        libfontconfig-dev libfreetype-dev fonts-dejavu-core fonts-liberation2 fonts-urw-base35
FUZZ_DEBS := clang libclang-rt-14-dev
# Only `make deb` needs these: the packaging tools and the checkers it runs.
DEB_DEBS := debhelper dpkg-dev fakeroot lintian appstream desktop-file-utils
PREFIX ?= /usr/local

.PHONY: all deps configure build test run install deb bench fuzz clean

all: build

deps:
	@./tools/install-deps.sh $(DEBS)

configure: deps
	@cmake -S . -B $(BUILD) -G $(GENERATOR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null

build: configure
	@cmake --build $(BUILD) --parallel

test: build
	QT_QPA_PLATFORM=offscreen ctest --test-dir $(BUILD) --output-on-failure --parallel 2

run: build
	$(BUILD)/bin/korvel

# Installs under PREFIX; DESTDIR stages the installation elsewhere.
install: build
	DESTDIR=$(DESTDIR) cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package, built from the debian/ folder by dpkg-buildpackage,
# then checked. The package and its .changes land in build-deb/.
deb:
	@./tools/install-deps.sh $(DEBS) $(DEB_DEBS)
	mkdir -p build-deb
	dpkg-buildpackage -us -uc -b --changes-option=-ubuild-deb --buildinfo-option=-ubuild-deb \
	  --changes-file=build-deb/korvel.changes --buildinfo-file=build-deb/korvel.buildinfo
	lintian --info build-deb/korvel.changes
	desktop-file-validate data/desktop/org.korvel.Korvel.desktop
	appstreamcli validate --no-net data/desktop/org.korvel.Korvel.metainfo.xml

# Every benchmark, then the peer comparison in one process each (on the
# frameworks tools/acceptance installs, when it has: npm install there).
PEER_FILES = $(wildcard tools/acceptance/node_modules/bootstrap/dist/css/bootstrap.css \
  tools/acceptance/node_modules/bootstrap3/dist/css/bootstrap.css tools/acceptance/node_modules/bulma/css/bulma.css \
  tools/acceptance/node_modules/animate.css/animate.css tools/acceptance/node_modules/font-awesome/css/font-awesome.css \
  tools/acceptance/node_modules/@fortawesome/fontawesome-free/css/all.css \
  tools/acceptance/node_modules/normalize.css/normalize.css tools/acceptance/node_modules/tailwindcss/dist/tailwind.css)
bench: build
	$(BUILD)/bin/korvel_bench --benchmark_counters_tabular=true
	$(BUILD)/bin/korvel-hostile-peaks
	QT_QPA_PLATFORM=offscreen $(BUILD)/bin/korvel_startup_bench
	QT_QPA_PLATFORM=offscreen $(BUILD)/bin/korvel_window_bench
	QT_QPA_PLATFORM=offscreen $(BUILD)/bin/korvel_open_bench --benchmark_filter=3.6MB
	QT_QPA_PLATFORM=offscreen $(BUILD)/bin/korvel_open_bench --benchmark_filter=16MiB
	QT_QPA_PLATFORM=offscreen $(BUILD)/bin/korvel_ruletree_bench
	QT_QPA_PLATFORM=offscreen $(BUILD)/bin/korvel_swatch_bench
	QT_QPA_PLATFORM=offscreen $(BUILD)/bin/korvel_popup_bench
	$(BUILD)/bin/korvel_watch_bench
	QT_QPA_PLATFORM=offscreen $(BUILD)/bin/korvel_mainformwatch_bench
	QT_QPA_PLATFORM=offscreen $(BUILD)/bin/korvel_fonts_bench
	QT_QPA_PLATFORM=offscreen $(BUILD)/bin/korvel_folderview_bench
	$(if $(PEER_FILES),tools/peer/loop.sh $(BUILD) $(PEER_FILES),@echo "Peer comparison skipped: run npm install in tools/acceptance first.")

# A bounded run of the fuzz target; crashes it finds are left in fuzz/.
FUZZ_SECONDS ?= 60
fuzz:
	@./tools/install-deps.sh $(DEBS) $(FUZZ_DEBS)
	@cmake -S . -B build-fuzz -G $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_COMPILER=clang++ -DKORVEL_FUZZ=ON -DKORVEL_BUILD_BENCH=OFF >/dev/null
	@cmake --build build-fuzz --target korvel_fuzz_stylesheet --parallel
	mkdir -p fuzz/corpus-work
	build-fuzz/bin/korvel_fuzz_stylesheet -max_total_time=$(FUZZ_SECONDS) -timeout=10 \
	  -artifact_prefix=fuzz/ fuzz/corpus-work fuzz/corpus tests/fixtures/stylesheets tests/fixtures/fuzz

clean:
	rm -rf $(BUILD) build-fuzz
