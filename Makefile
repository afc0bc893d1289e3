# Front door: `make run` and `make test` do every set-up step on a fresh Debian 12 machine.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)

DEB_PACKAGES := cmake ninja-build g++ qt6-base-dev qt6-qpa-plugins libqt6sql6-sqlite libgl-dev libsqlite3-dev \
                sqlite3 fonts-noto-cjk xvfb xauth

.PHONY: all deps configure build lay run test test-asan fuzz bench clean

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
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The build lays Data.QSD, MTS.qs, QS.ini and QSHELP.html beside the program when they are absent.
lay: build

run: build
	$(BUILD_DIR)/quillstash

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

test-asan:
	$(MAKE) test BUILD_DIR=build-asan BUILD_TYPE=Debug CMAKE_EXTRA=-DQS_SANITIZE=ON

clean:
	rm -rf $(BUILD_DIR)
