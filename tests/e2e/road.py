"""The whole road of an installation, shared by the end-to-end tests of the registration and the
demo: the sample package made with the pack tool, the run from the download to the hand-over on
the real program with a real click on installButton, and what the installation left in the Wine
prefix, read back."""
import pathlib
import shutil
import subprocess
import tempfile
import zipfile

from harness import BUILD, ROOT, wait_for

PACK_TOOL = ROOT / "build" / "host" / "tools" / "pack" / "pack"
SETTINGS_TOOL = ROOT / "build" / "host" / "tools" / "settings" / "settings"
SAMPLE_PROGRAM = BUILD / "sample" / "sample_program.exe"
SAMPLE_UNINSTALLER = BUILD / "sample" / "uninst.exe"
DIR_EDIT, INSTALL_BUTTON = 7, 8
INSTALL_BUTTON_CENTRE = (397 + 30, 238 + 10)
DEFAULT_DIRECTORY = "C:\\Program Files\\Mervantis\\"


def sample_folder(folder, program="示例程序.exe", uninstaller=True, extra=None):
    """A publisher's folder: the sample program under the given name, its uninstaller, a
    read-me in a folder of its own, and any extra files ({relative name: bytes})."""
    folder = pathlib.Path(folder)
    shutil.rmtree(folder, ignore_errors=True)
    (folder / "说明").mkdir(parents=True)
    if program:
        shutil.copy(SAMPLE_PROGRAM, folder / program)
    if uninstaller:
        shutil.copy(SAMPLE_UNINSTALLER, folder / "uninst.exe")
    (folder / "说明" / "读我.txt").write_bytes("Mervantis 示例软件\r\n".encode("gbk"))
    for name, data in (extra or {}).items():
        (folder / name).parent.mkdir(parents=True, exist_ok=True)
        (folder / name).write_bytes(data)
    return folder


def pack(folder, out, program, name=None):
    """The pack tool on a folder; the finished run (its output is UTF-8 text)."""
    command = [str(PACK_TOOL), str(folder), str(out), "--program", program]
    if name is not None:
        command += ["--name", name]
    return subprocess.run(command, capture_output=True, text=True, check=True)


def check(package):
    return subprocess.run([str(PACK_TOOL), "--check", str(package)], capture_output=True,
                          text=True)


def write_package(path, files, program_setting=None, software_name=None):
    """A package as another tool may make it: folder entries before their files, the entry names
    as given (ASCII), and the settings files enciphered by the settings tool when their value
    is given (the GBK text of the file's one entry)."""
    files = dict(files)
    with tempfile.TemporaryDirectory() as scratch:
        for entry, section, key, value in (("zhi/pz/pro.dll", "pro", "pfexe", program_setting),
                                           ("zhi/pz/cl.dll", "配置", "软件名", software_name)):
            if value is None:
                continue
            plain = pathlib.Path(scratch) / "plain.txt"
            plain.write_bytes(f"[{section}]\r\n{key}={value}\r\n".encode("gbk"))
            subprocess.run([str(SETTINGS_TOOL), "encrypt", str(plain), str(plain) + ".dll"],
                           check=True, capture_output=True)
            files[entry] = pathlib.Path(str(plain) + ".dll").read_bytes()
        with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as archive:
            written = set()
            for name in sorted(files):
                parts = name.split("/")
                for depth in range(1, len(parts)):
                    folder = "/".join(parts[:depth]) + "/"
                    if folder not in written:
                        archive.writestr(zipfile.ZipInfo(folder), b"")
                        written.add(folder)
                archive.writestr(name, files[name])
    return path


def unix_path(env, windows):
    """Where a path of the Wine prefix's C: (or Z:) drive lies on this machine."""
    drive, rest = windows[0].upper(), windows[2:].replace("\\", "/").strip("/")
    base = pathlib.Path(env["WINEPREFIX"]) / "drive_c" if drive == "C" else pathlib.Path("/")
    return base / rest if rest else base


def shell_folders(program):
    """The current user's desktop and Programs folders, as the shell names them."""
    return program.driver("shell-folders")


def remove_shell_objects(program, *names):
    """The desktop shortcuts and program groups of these software names, as an earlier run may
    have left them (the system drops a group's trailing spaces)."""
    folders = shell_folders(program)
    for name in names:
        unix_path(program.env, f"{folders['desktop']}\\{name.strip()}.lnk").unlink(missing_ok=True)
        shutil.rmtree(unix_path(program.env, f"{folders['programs']}\\{name.rstrip()}"),
                      ignore_errors=True)


def start(program, identifier, close_after_ms=4000):
    """Runs a stamped copy of the program; the sample program it installs closes itself after
    close_after_ms (None: it stays until it is closed)."""
    extra = {} if close_after_ms is None else {"MERVANTIS_SAMPLE_CLOSE_MS": str(close_after_ms)}
    program.start(identifier=identifier, extra_env=extra)


def wait_for_install_stage(program):
    wait_for(lambda: program.controls()[INSTALL_BUTTON]["visible"], timeout=60,
             what="the installation stage")


def install(program, identifier, directory=None, close_after_ms=4000):
    """Runs a stamped copy of the program to the installation stage, sets the installation
    directory when one is given (as typed, through the edit box's text), and presses
    installButton with the real mouse. The installation directory's text."""
    start(program, identifier, close_after_ms)
    wait_for_install_stage(program)
    if directory is not None:
        program.driver("set-text", DIR_EDIT, directory)
        wait_for(lambda: program.controls()[DIR_EDIT]["text"] == directory, what="the directory")
    directory = program.controls()[DIR_EDIT]["text"]
    program.click_in_window(*INSTALL_BUTTON_CENTRE)
    return directory


def record_lines(env, directory):
    """The uninstall record's lines as GBK texts, or None when there is none; the record must
    hold lines ended by CR LF and nothing else."""
    path = unix_path(env, directory.rstrip("\\") + "\\uninst.dat")
    if not path.exists():
        return None
    data = path.read_bytes()
    assert data.endswith(b"\r\n") and b"\n" not in data.replace(b"\r\n", b""), data
    return [line.decode("gbk") for line in data[:-2].split(b"\r\n")]


def stored_show_command(path):
    """The show command in a shortcut file's header (the shell link interface reads every value
    but 3 and 7 back as 1)."""
    return int.from_bytes(pathlib.Path(path).read_bytes()[0x3C:0x40], "little")


def started_note(env, program_path):
    """What the sample program wrote beside itself when it was started: {key: value}."""
    path = unix_path(env, program_path).with_name("started.txt")
    if not path.exists():
        return None
    text = path.read_bytes().decode("gbk")
    return dict(line.split("=", 1) for line in text.split("\r\n") if "=" in line)


def installed_files(env, directory):
    """Every file below the installation directory, relative, with "/" between levels."""
    root = unix_path(env, directory)
    return sorted(str(path.relative_to(root)) for path in root.rglob("*") if path.is_file())

