# GMP's whole numbers of any size for the exact elimination of number matrices.
find_package(PkgConfig REQUIRED)
pkg_check_modules(GMPXX REQUIRED IMPORTED_TARGET GLOBAL gmpxx)
set(area_links sumbrix_tool_polinomios PkgConfig::GMPXX)
