@echo off
rem Converts the sample tiles (data\ beside this file) in all three modes into out\demo\ of the
rem current folder, and writes the fit report of the control-point sample. Run it in a folder
rem you may write to: the unpacked download, or any folder when quorvex is installed.
rem (Each step is checked with "if errorlevel 1", not "||", which Wine's cmd runs after
rem successful programs too.)
setlocal
set "here=%~dp0"
set "quorvex=%here%quorvex.exe"
set "data=%here%data"
set "out=out\demo"
for %%d in (enu back zone site) do if not exist "%out%\%%d" mkdir "%out%\%%d"

echo == project frame -^> ENU, base point computed from all vertices
"%quorvex%" "-input=%data%\tiles" "-coord=%data%\coord-gauss117.json" "-output=%out%\enu" "-base=%out%\enu\base.txt" -toProj=0 -materials=copy
if errorlevel 1 goto failed
type "%out%\enu\base.txt"
echo.

rem The base file holds ENU:<lat>,<lon> rounded to 1e-6 degree, the origin the run above
rem converted about; -inputbase takes longitude first. Given back, it gives the same bytes, and
rem the way back uses the same origin.
for /f "tokens=2,3 delims=:," %%a in (%out%\enu\base.txt) do (set "lat=%%a" & set "lon=%%b")
echo == project frame -^> ENU, base point given: ENU:%lon%,%lat%
"%quorvex%" "-input=%data%\tiles" "-coord=%data%\coord-gauss117.json" "-output=%out%\enu" "-inputbase=ENU:%lon%,%lat%" -toProj=0 -materials=copy
if errorlevel 1 goto failed

echo == ENU -^> project frame, about the same origin
"%quorvex%" "-input=%out%\enu" "-coord=%data%\coord-gauss117.json" "-output=%out%\back" "-inputbase=ENU:%lon%,%lat%" -toProj=0 -bENU=1 -materials=copy
if errorlevel 1 goto failed

echo == fit report of the control-point sample (its fifth point has an 8 cm error in northing)
"%quorvex%" "-input=%data%\tiles" "-coord=%data%\coord-control-site.json" "-output=%out%\site" -toProj=0 "-report=%out%\report.html" -materials=copy
if errorlevel 1 goto failed

echo == project frame -^> 3-degree Gauss-Krueger zone
"%quorvex%" "-input=%data%\tiles" "-coord=%data%\coord-gauss117.json" "-output=%out%\zone" "-base=%out%\zone\zone.txt" -materials=copy
if errorlevel 1 goto failed

echo demo finished: the results are in %out%, the fit report is %out%\report.html
exit /b 0

:failed
echo demo failed
exit /b 1
