# Front door: `make run` and `make test` do every set-up step on a fresh Debian 12 machine.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
# WERROR=ON turns compiler warnings into errors (CI does).
WERROR ?= OFF

DEB_PACKAGES := cmake ninja-build g++ qt6-base-dev qt6-qpa-plugins libgl-dev libsqlite3-dev \
                sqlite3 fonts-noto-cjk qt6-translations-l10n xvfb xauth python3 clang-format

.PHONY: all deps configure build lay run install uninstall test test-asan fuzz bench clean format-check

all: build

# Installs missing Debian packages when run as root; otherwise only reports what is missing.
deps:
	@missing=""; for p in $(DEB_PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = "0" ]; then \
	    echo "Installing:$$missing"; \
	    apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q $$missing; \
	  else \
	    echo "Missing Debian packages:$$missing (run as root, or install them with apt-get)"; exit 1; \
	  fi; \
	fi

$(BUILD_DIR)/build.ninja: CMakeLists.txt | deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DQS_WERROR=$(WERROR)

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The build lays Data.QSD, MTS.qs, QS.ini and QSHELP.html beside the program when they are absent.
lay: build

# The program runs from run/, outside the build tree, and keeps its data there. It is a copy, not a link:
# the program finds its data beside its resolved executable path. The copy is moved into place, so a
# running instance keeps its file.
RUN_DIR ?= run
run: build
	mkdir -p $(RUN_DIR)
	cp $(BUILD_DIR)/quillstash $(RUN_DIR)/quillstash.new
	mv -f $(RUN_DIR)/quillstash.new $(RUN_DIR)/quillstash
	$(BUILD_DIR)/quillstash-lay $(RUN_DIR)
	$(RUN_DIR)/quillstash

# A portable program folder of your choice: the program, and beside it your knowledge base. Install lays
# the installation files only when they are absent and replaces only the program, so running it again
# upgrades the program and keeps your data; it also writes a desktop menu entry and the icon under
# $XDG_DATA_HOME (~/.local/share). Uninstall removes the program, the entry and the icon, never data.
# Set PREFIX on the command line (`make install PREFIX="/opt/my notes"`); a PREFIX in the environment
# is not used.
PREFIX = $(HOME)/Quillstash
install uninstall: export QS_PREFIX = $(PREFIX)
install uninstall: export QS_BUILD_DIR = $(BUILD_DIR)
install: build
	sh tools/install.sh install

uninstall:
	sh tools/install.sh uninstall

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# Tests built with AddressSanitizer and UndefinedBehaviorSanitizer; a report stops the process that
# made it, which fails its test. ASAN_LEAKS=1 adds LeakSanitizer (it needs ptrace).
ASAN_LEAKS ?= 0
test-asan: deps
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQS_SANITIZE=ON
	cmake --build build-asan -j $(JOBS)
	cd build-asan && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=detect_leaks=$(ASAN_LEAKS):detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

# Each fuzz target runs for FUZZ_SECONDS from the small corpus in tests/fuzz/corpus; a crash, a hang,
# a sanitizer report or a round-trip violation fails the run (the input is left in build-fuzz/).
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := tree settings escape
fuzz: deps
	@command -v clang++ >/dev/null || { [ "$$(id -u)" = "0" ] && apt-get install -y -q clang libclang-rt-dev; }
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DQS_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build-fuzz -j $(JOBS)
	@for t in $(FUZZ_TARGETS); do \
	  mkdir -p build-fuzz/work-$$t build-fuzz/artifacts-$$t && \
	  echo "== fuzz_$$t for $(FUZZ_SECONDS) s" && \
	  ASAN_OPTIONS=detect_leaks=0 build-fuzz/tests/fuzz/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=2048 \
	    -artifact_prefix=build-fuzz/artifacts-$$t/ -print_final_stats=1 build-fuzz/work-$$t tests/fuzz/corpus/$$t \
	    > build-fuzz/fuzz_$$t.log 2>&1 || { tail -40 build-fuzz/fuzz_$$t.log; echo "fuzz_$$t FAILED"; exit 1; }; \
	  grep -E "stat::number_of_executed_units" build-fuzz/fuzz_$$t.log; \
	done; echo "fuzz: all targets clean"

# Figures on a generated 100,000-material data directory outside the work tree (see bench/README.md).
bench: deps
	bench/run

# Removes the build tree but never a knowledge base: Data.QSD*, MTS.qs and QS.ini stay where they are,
# also in the build tree (the build lays them beside the built program, and an older `make run` kept
# the user's data there).
DATA_FILES := -name 'Data.QSD*' -o -name MTS.qs -o -name QS.ini
clean:
	@if [ -d "$(BUILD_DIR)" ]; then \
	  find "$(BUILD_DIR)" -depth -mindepth 1 ! \( $(DATA_FILES) \) \( ! -type d -o -empty \) -delete || exit 1; \
	  kept=$$(find "$(BUILD_DIR)" \( $(DATA_FILES) \) -print); \
	  if [ -n "$$kept" ]; then \
	    echo "clean: kept these data files (make never deletes them; remove them yourself if you do not need them):"; \
	    echo "$$kept"; \
	  else rmdir "$(BUILD_DIR)"; fi; \
	fi

# Every C++ source is formatted as .clang-format says (CI checks it).
format-check: deps
	clang-format --dry-run -Werror $$(git ls-files '*.cpp' '*.h')
