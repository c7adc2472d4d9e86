# make package: builds the Debian package of quillo (build/quillo_<version>_<arch>.deb).
.PHONY: package

package: build
	@cd build && cpack -G DEB && ls -1 quillo_*.deb
