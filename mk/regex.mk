# The regular-expression engine's fuzz targets (libFuzzer with clang, ASan and UBSan).
#   make fuzz-regex-parse [FUZZ_SECONDS=600]   compile random expressions for that many seconds
#   make fuzz-regex-match [FUZZ_SECONDS=600]   compile and search random expressions and subjects
#   make fuzz-regex-diff [FUZZ_SECONDS=600]    compare random searches with PCRE2 (libpcre2-dev)

FUZZ_SECONDS ?= 60
REGEX_FUZZ_DIR := build-fuzz/regex
REGEX_FUZZ_CXX ?= clang++
REGEX_FUZZ_FLAGS := -std=c++20 -O1 -g -fno-omit-frame-pointer -Isrc \
	-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
REGEX_FUZZ_SOURCES := $(wildcard src/regex/*.cpp)
REGEX_FUZZ_OBJECTS := $(patsubst src/regex/%.cpp,$(REGEX_FUZZ_DIR)/obj/%.o,$(REGEX_FUZZ_SOURCES))

.PHONY: fuzz-regex-parse fuzz-regex-match fuzz-regex-diff

$(REGEX_FUZZ_DIR)/obj/%.o: src/regex/%.cpp $(wildcard src/regex/*.h)
	@mkdir -p $(@D)
	$(REGEX_FUZZ_CXX) $(REGEX_FUZZ_FLAGS) -c $< -o $@

$(REGEX_FUZZ_DIR)/fuzz_regex_parse: tests/regex/fuzz/fuzz_regex_parse.cpp $(REGEX_FUZZ_OBJECTS)
	$(REGEX_FUZZ_CXX) $(REGEX_FUZZ_FLAGS) -fsanitize=fuzzer $^ -o $@

fuzz-regex-parse: $(REGEX_FUZZ_DIR)/fuzz_regex_parse
	@mkdir -p $(REGEX_FUZZ_DIR)/corpus-parse
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ASAN_OPTIONS=detect_leaks=1 \
	$(REGEX_FUZZ_DIR)/fuzz_regex_parse -max_total_time=$(FUZZ_SECONDS) -timeout=10 \
		-max_len=2048 -print_final_stats=1 -dict=tests/regex/fuzz/regex.dict \
		-artifact_prefix=$(REGEX_FUZZ_DIR)/ \
		$(REGEX_FUZZ_DIR)/corpus-parse tests/regex/fuzz/seeds-parse

$(REGEX_FUZZ_DIR)/fuzz_regex_match: tests/regex/fuzz/fuzz_regex_match.cpp $(REGEX_FUZZ_OBJECTS)
	$(REGEX_FUZZ_CXX) $(REGEX_FUZZ_FLAGS) -fsanitize=fuzzer $^ -o $@

fuzz-regex-match: $(REGEX_FUZZ_DIR)/fuzz_regex_match
	@mkdir -p $(REGEX_FUZZ_DIR)/corpus-match
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ASAN_OPTIONS=detect_leaks=1 \
	$(REGEX_FUZZ_DIR)/fuzz_regex_match -max_total_time=$(FUZZ_SECONDS) -timeout=60 \
		-max_len=512 -print_final_stats=1 -dict=tests/regex/fuzz/regex.dict \
		-artifact_prefix=$(REGEX_FUZZ_DIR)/ \
		$(REGEX_FUZZ_DIR)/corpus-match tests/regex/fuzz/seeds-parse

# Optimised, so that it tries millions of cases; the sanitizers run in the other targets.
$(REGEX_FUZZ_DIR)/regex_diff: tests/regex/fuzz/diff_main.cpp tests/regex/differential.cpp \
		$(REGEX_FUZZ_SOURCES) $(wildcard src/regex/*.h)
	@mkdir -p $(@D)
	$(REGEX_FUZZ_CXX) -std=c++20 -O2 -Isrc tests/regex/fuzz/diff_main.cpp \
		tests/regex/differential.cpp $(REGEX_FUZZ_SOURCES) -o $@ \
		$$(pkg-config --cflags --libs libpcre2-16)

fuzz-regex-diff: $(REGEX_FUZZ_DIR)/regex_diff
	$(REGEX_FUZZ_DIR)/regex_diff $(FUZZ_SECONDS)
