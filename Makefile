# make run   installs what is missing, builds, creates demo/ and starts the station
# make test  installs what is missing, builds and runs every test
# make package builds punchwell_VERSION_ARCH.deb here (apt install ./punchwell_*.deb)
# make stress  many station processes on one data folder, then kill -9 trials, then
#              stations punching through spells without the shared folder
# make fuzz  builds the fuzz targets with clang and runs each for 60 s
# make bench runs the benchmarks beside bare SQLite and libpq (QUICK=1: the small club only)

PACKAGES := cmake ninja-build g++ qt6-base-dev libqt6sql6-sqlite libkainjow-mustache-dev \
            libgtest-dev libgmock-dev libbenchmark-dev libsqlite3-dev poppler-utils \
            fonts-dejavu-core dpkg-dev file clang-14 libclang-rt-14-dev \
            libqt6sql6-psql postgresql lintian libpq-dev clang-tidy
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
JOBS := $(shell nproc)

.PHONY: all deps build run test bench package stress fuzz format clean

all: build

deps:
	@missing=""; for p in $(PACKAGES); do \
	    dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	    echo "Installing:$$missing"; \
	    $(SUDO) apt-get update -qq && \
	    $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	fi

build: deps
	cmake --preset default -DPW_WERROR=$(if $(WERROR),ON,OFF) >/dev/null
	cmake --build --preset default -j $(JOBS)

# The second run puts the shared databases on a private PostgreSQL server (tools/pgtest.sh).
test: build
	ctest --preset default -j $(JOBS)
	tools/pgtest.sh ctest --preset default -j $(JOBS)

run: build
	@[ -d demo ] || ./build/suite/parvsetup --demo demo
	cd demo/station && ../../build/src/app/punchwell

# make bench QUICK=1 measures on the 100k club only. The clubs are made once and kept in
# build/bench-data. The server's paths run on a private PostgreSQL server, as make test's.
# With two processors or more the server keeps the last and the benchmark the first: left to
# the scheduler, whether both shared one decided a server press's time by half, run to run.
PIN_SERVER = $(shell [ $$(nproc) -ge 2 ] && echo taskset -c $$(( $$(nproc) - 1 )))
PIN_BENCH = $(shell [ $$(nproc) -ge 2 ] && echo taskset -c 0)
bench: build
	QUICK=$(QUICK) QT_QPA_PLATFORM=offscreen $(PIN_SERVER) tools/pgtest.sh \
	    $(PIN_BENCH) ./build/bench/bench_punchwell --benchmark_color=false

package: build
	rm -f build/punchwell_*.deb punchwell_*.deb
	cmake --build --preset default --target package
	cp build/punchwell_*.deb .

# make stress PG=1: the same stations and kills on a private PostgreSQL server.
stress: build
ifdef PG
	tools/pgtest.sh sh -c './build/tools/stress/punchstress --stations 8 --cycles 200 \
	    --kills 50 --postgres "$$PW_TEST_DATABASE" && ./build/tools/stress/punchstress \
	    --stations 8 --cycles 100 --kills 0 --offline --postgres "$$PW_TEST_DATABASE"'
else
	./build/tools/stress/punchstress --stations 8 --cycles 100 --kills 0 --offline
	./build/tools/stress/punchstress --stations 8 --cycles 200 --kills 50
endif

fuzz: deps
	tools/fuzz/run 60

format:
	find src suite tests bench tools -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf build build-asan build-fuzz
