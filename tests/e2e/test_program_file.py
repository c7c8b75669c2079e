"""The built program files: their fixed texts as GBK bytes, their manifest and that they need
no DLL beyond Windows' own."""
import re
import subprocess

import pytest

from harness import ROOT

PROGRAMS = {
    "win32": (ROOT / "build" / "win32" / "MervantisSetup.exe", "i686-w64-mingw32-objdump"),
    "win64": (ROOT / "build" / "win64" / "MervantisSetup.exe", "x86_64-w64-mingw32-objdump"),
}
# Texts the program hands on as they stand. (One the code copies into a string object, like the
# error box's lines, may be stored by the compiler as immediate operands; the Windows
# unit tests read those on the real message box.)
TEXTS = [
    "Mervantis", "down", "请先修复FLASH控件！", "运行时出错!\r\n\r\n错误信息：", "错误",
    "载入窗口模板数据段出错!", "载入启动窗口失败", "分配 ", " 字节内存失败!",
    "执行类模块时发生运行时错误", "图形按钮5", "图形按钮2", "画板3", "画板2", "画板1",
    "图形按钮1", "编辑框1", "图形按钮4", "图形按钮3", "ZIP压缩1", "标签1", "宋体",
]
# Windows' own; ADVAPI32 gives the settings files' MD5, SHLWAPI the shell's path functions.
WINDOWS_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "ole32.dll", "msvcrt.dll", "shell32.dll",
                "wininet.dll", "advapi32.dll", "shlwapi.dll"}


@pytest.mark.parametrize("target", PROGRAMS)
def test_fixed_texts_are_stored_as_gbk(target):
    data = PROGRAMS[target][0].read_bytes()
    for text in TEXTS:
        assert text.encode("gbk") in data, text
        if not text.isascii():
            assert text.encode("utf-8") not in data, text


@pytest.mark.parametrize("target", PROGRAMS)
def test_program_asks_for_administrator_and_common_controls(target):
    data = PROGRAMS[target][0].read_bytes()
    assert b'level="requireAdministrator"' in data
    assert b'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' in data
    assert b"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}" in data  # Windows 10 and 11


@pytest.mark.parametrize("target", PROGRAMS)
def test_program_is_static_and_stripped(target):
    path, objdump = PROGRAMS[target]
    headers = subprocess.run([objdump, "-p", "-h", str(path)], capture_output=True, text=True,
                             check=True).stdout
    imported = {name.lower() for name in re.findall(r"DLL Name: (\S+)", headers)}
    assert imported and imported <= WINDOWS_DLLS
    assert "(Windows GUI)" in headers
    assert ".debug_info" not in headers
    assert " ld" not in subprocess.run([objdump, "-t", str(path)], capture_output=True,
                                       text=True).stdout
