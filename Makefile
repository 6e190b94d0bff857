# The two commands of the README:
#   make run    build everything and start the window under Wine in the sandbox (on $DISPLAY
#               when set, else on a virtual display), saving a screenshot under build/
#   make test   the include check (scripts/check-layers.sh; again on the built layer libraries), native tests (plain, ThreadSanitizer,
#               AddressSanitizer), a short fuzz run of the game configuration text logic and of the history parser, the
#               Windows build, and the Windows tests under Wine
# Each first installs what is missing (scripts/bootstrap.sh). Build folders come from
# CMakePresets.json: build/native, build/native-tsan, build/native-asan, build/windows.
SHELL := /bin/bash
JOBS ?= 2
export JOBS

# Runs a recipe line and says how long it took.
timed = start=$$SECONDS; $(1); code=$$?; echo "== $(2): $$((SECONDS - start)) s"; exit $$code

.PHONY: run test bootstrap check-layers native native-tsan native-asan windows \
        test-native test-tsan test-asan test-sanitizers test-fuzz test-wine

run: bootstrap native windows
	@scripts/run-window.sh

test: bootstrap
	@rm -f build/logs/counts-* build/logs/skipped-* build/logs/reruns-*
	@start=$$SECONDS; \
	$(MAKE) --no-print-directory check-layers test-native test-sanitizers test-fuzz windows test-wine; \
	code=$$?; \
	if [ $$code -eq 0 ]; then echo "== make test: every stage passed in $$((SECONDS - start)) s"; \
	else echo "== make test: a stage failed after $$((SECONDS - start)) s"; fi; \
	scripts/test-summary.sh native native-tsan native-asan wine && exit $$code || exit 1

bootstrap:
	@scripts/bootstrap.sh

# A lower layer never includes a higher one; takes a fraction of a second.
check-layers:
	@scripts/check-layers.sh

define configure_and_build
	@echo "== build $(1)"
	@$(call timed,cmake --preset $(1) --log-level=WARNING >/dev/null && \
	    cmake --build --preset $(1) -j $(JOBS) | grep -vE '^\[ *[0-9]+%\]' ; test $${PIPESTATUS[0]} -eq 0,build $(1))
endef

native: bootstrap
	$(call configure_and_build,native)

native-tsan: bootstrap
	$(call configure_and_build,native-tsan)

native-asan: bootstrap
	$(call configure_and_build,native-asan)

windows: bootstrap
	$(call configure_and_build,windows)

test-native: native
	@scripts/check-layers.sh build/native
	@echo "== ctest native"
	@$(call timed,scripts/run-ctest.sh native,ctest native)

test-tsan: native-tsan
	@echo "== ctest native-tsan"
	@$(call timed,scripts/run-ctest.sh native-tsan,ctest native-tsan)

test-asan: native-asan
	@echo "== ctest native-asan"
	@$(call timed,scripts/run-ctest.sh native-asan,ctest native-asan)

test-sanitizers: test-tsan test-asan

# libFuzzer (Debian's clang) on the INI merge and the text encodings; FUZZ_SECONDS for longer.
FUZZ_SECONDS ?= 25
test-fuzz: bootstrap
	@echo "== fuzz config text and history"
	@$(call timed,scripts/fuzz.sh $(FUZZ_SECONDS),fuzz)

test-wine: windows
	@scripts/check-shipped.sh build/windows
	@$(call timed,scripts/test-wine.sh,Wine tests)
