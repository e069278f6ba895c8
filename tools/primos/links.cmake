# primecount (BSD-2) counts primes and finds the n-th prime.
find_package(PkgConfig REQUIRED)
pkg_check_modules(PRIMECOUNT REQUIRED IMPORTED_TARGET GLOBAL primecount)
set(area_links PkgConfig::PRIMECOUNT)
