# quillo: the everyday commands over CMake.
#   make run [FILE=path] [ARGS="-q"]   set up, build and start the editor
#   make test                          set up, build and run all tests
#   make test-asan                     the same tests under ASan and UBSan
#   make bench                         build and run the benchmarks
#   make screenshots                   pictures of the window in build/screenshots

.PHONY: all deps configure build run test test-asan bench screenshots format clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake --preset default >/dev/null

build: configure
	@cmake --build --preset default

run: build
	./build/src/app/quillo $(if $(FILE),"$(FILE)") $(ARGS)

test: build
	@ctest --preset default; rc=$$?; \
	if [ $$rc -eq 0 ]; then echo "make test: all tests passed"; else echo "make test: FAILED"; fi; exit $$rc

test-asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan
	@ctest --preset asan; rc=$$?; \
	if [ $$rc -eq 0 ]; then echo "make test-asan: all tests passed"; else echo "make test-asan: FAILED"; fi; exit $$rc

bench: build
	@for b in $$(find build/bench -type f -name 'bench_*' -perm -u+x | sort); do \
	  echo "== $$b"; "$$b" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true || exit 1; \
	done

screenshots: build
	@./build/tests/screenshots/quillo_screenshots build/screenshots

format:
	@git ls-files '*.cpp' '*.h' | grep -v '_tables\.' | xargs clang-format -i

clean:
	rm -rf build build-asan build-fuzz

# Further targets of the subsystems (fuzzers and the like).
-include mk/*.mk
