REM build script
set OUT=build
mkdir %OUT%
cl /O2 main.c
copy main.exe %OUT%
REM done
