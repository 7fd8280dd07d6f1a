@echo off
rem Checks the keyword list of the Sorvik tracker once, as its check-all
rem does, and appends the results to its history: for a daily task of
rem Task Scheduler. Runs in the programs' folder, which holds config.txt.
cd /d "%~dp0"
"%~dp0sorvik-cli.exe" --batch "%APPDATA%\Sorvik\keywords.txt" --history "%APPDATA%\Sorvik\history.jsonl" --max-pages 10 %*
