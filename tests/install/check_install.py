#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks the organizer as it is installed, run and packaged.

    check_install.py tree    CONFIG   the staged install tree, its desktop entry and metadata
    check_install.py run     CONFIG   the staged programs keep their data in XDG_DATA_HOME
    check_install.py checkout CONFIG  ./run.sh keeps the data in the checkout
    check_install.py package CONFIG   the Debian package, its fields, files and lintian
    check_install.py manuals CONFIG   the staged manual pages render without a warning
    check_install.py completions CONFIG  the staged completions load and complete in their shells

CONFIG is a JSON file the build writes with the paths and names these checks need. Every
check works in a temporary folder of its own and installs nowhere else.
"""

import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

# How long the program may take to create its database when it starts.
START_SECONDS = 20
# The sizes of the icon theme's pictures.
ICON_SIZES = (16, 32, 48, 64, 128, 256)
# The manual pages, and the completion files of tolvek-tasks with the shell that reads each.
MANUAL_PAGES = ("tolvek-organizer", "tolvek-tasks")
COMPLETIONS = {
    "bash": "share/bash-completion/completions/tolvek-tasks",
    "zsh": "share/zsh/vendor-completions/_tolvek-tasks",
    "fish": "share/fish/vendor_completions.d/tolvek-tasks.fish",
}


class CheckFailed(Exception):
    pass


def check(condition, message):
    if not condition:
        raise CheckFailed(message)


def run(command, **kwargs):
    """Runs a command to its end, within a minute; its output, or a failure with it."""
    result = subprocess.run(
        command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, timeout=60, **kwargs
    )
    check(
        result.returncode == 0,
        f"{' '.join(map(str, command))} exited with {result.returncode}:\n{result.stdout}",
    )
    return result.stdout


def stage(config, folder):
    """Installs the build into folder/stage with the prefix /usr; returns the prefix folder."""
    destdir = Path(folder) / "stage"
    run(
        [config["cmake"], "--install", config["build"], "--prefix", "/usr"],
        env=dict(os.environ, DESTDIR=str(destdir)),
    )
    return destdir / "usr"


def expected_files(config):
    """The files under the prefix, relative to it, that the install rules promise."""
    source = Path(config["source"])
    name, program_id = config["file_name"], config["id"]
    files = {
        f"bin/{name}",
        "bin/tolvek-tasks",
        f"share/applications/{program_id}.desktop",
        f"share/metainfo/{program_id}.metainfo.xml",
        f"share/icons/hicolor/scalable/apps/{name}.svg",
    }
    files |= {f"share/icons/hicolor/{s}x{s}/apps/{name}.png" for s in ICON_SIZES}
    files |= {f"share/man/man1/{page}.1.gz" for page in MANUAL_PAGES}
    files |= set(COMPLETIONS.values())
    files |= {f"share/{name}/sound/{p.name}" for p in (source / "sound").glob("*.wav")}
    files |= {f"share/{name}/help/{p.name}" for p in (source / "help").iterdir()}
    return files


def files_under(folder):
    return {str(p.relative_to(folder)) for p in Path(folder).rglob("*") if not p.is_dir()}


def snapshot(folder):
    """Every entry under folder with its kind, size, mode and modification time."""
    entries = {}
    for path in sorted(Path(folder).rglob("*")):
        info = path.lstat()
        entries[str(path.relative_to(folder))] = (info.st_mode, info.st_size, info.st_mtime_ns)
    return entries


def png_size(path):
    data = Path(path).read_bytes()
    check(data[:8] == b"\x89PNG\r\n\x1a\n" and data[12:16] == b"IHDR", f"{path} is no PNG file")
    return int.from_bytes(data[16:20], "big"), int.from_bytes(data[20:24], "big")


def desktop_entry(path):
    keys = {}
    for line in Path(path).read_text(encoding="utf-8").splitlines():
        if "=" in line and not line.startswith("#"):
            key, value = line.split("=", 1)
            keys[key] = value
    return keys


def check_tree(config):
    with tempfile.TemporaryDirectory() as folder:
        prefix = stage(config, folder)
        found = files_under(Path(folder) / "stage")
        wanted = {f"usr/{f}" for f in expected_files(config)}
        check(found == wanted, f"missing {sorted(wanted - found)}, unexpected {sorted(found - wanted)}")
        name, program_id = config["file_name"], config["id"]
        for program in (name, "tolvek-tasks"):
            check(os.access(prefix / "bin" / program, os.X_OK), f"bin/{program} is not executable")

        entry = prefix / "share/applications" / f"{program_id}.desktop"
        print(run(["desktop-file-validate", entry]), end="")
        keys = desktop_entry(entry)
        for key, value in {
            "Type": "Application",
            "Name": config["name"],
            "Exec": name,
            "Icon": name,
            "StartupWMClass": config["name"],
        }.items():
            check(keys.get(key) == value, f"{entry.name}: {key}={keys.get(key)}, not {value}")
        check({"Office", "ProjectManagement"} <= set(keys["Categories"].split(";")),
              f"Categories={keys['Categories']}")

        metainfo = prefix / "share/metainfo" / f"{program_id}.metainfo.xml"
        print(run(["appstreamcli", "validate", "--no-net", metainfo]), end="")
        text = metainfo.read_text(encoding="utf-8")
        for part in (
            f"<id>{program_id}</id>",
            f'<launchable type="desktop-id">{program_id}.desktop</launchable>',
            f'<release version="{config["version"]}"',
            "<description>",
            "<screenshot type=\"default\">",
            "<project_license>GPL-3.0-or-later</project_license>",
        ):
            check(part in text, f"{metainfo.name} lacks {part}")

        icons = prefix / "share/icons/hicolor"
        for size in ICON_SIZES:
            png = icons / f"{size}x{size}/apps/{name}.png"
            check(png_size(png) == (size, size), f"{png} is {png_size(png)}, not {size}x{size}")
        # The scalable icon drawn by the script looks like the painted one at 256 pixels.
        rendered = Path(folder) / "rendered.png"
        run(["rsvg-convert", "-w", "256", "-h", "256", "-o", rendered,
             icons / f"scalable/apps/{name}.svg"])
        difference = subprocess.run(
            ["compare", "-metric", "MAE", icons / f"256x256/apps/{name}.png", rendered, "null:"],
            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, timeout=60,
        ).stdout
        normalised = float(difference.split("(")[1].split(")")[0])
        check(normalised < 0.01, f"the scalable icon differs from the painted one: {difference}")


def wait_for(path, process):
    deadline = time.monotonic() + START_SECONDS
    while time.monotonic() < deadline:
        if path.exists():
            return
        check(process.poll() is None, f"the program ended with {process.returncode} before "
                                      f"creating {path}")
        time.sleep(0.1)
    raise CheckFailed(f"{path} did not appear within {START_SECONDS} s")


def private_environment(folder):
    """An environment whose data, settings, runtime and home folders are all under folder."""
    environment = {k: v for k, v in os.environ.items() if k not in ("TOLVEK_HOME", "DISPLAY")}
    for variable, sub in (("XDG_DATA_HOME", "data"), ("XDG_CONFIG_HOME", "config"),
                          ("XDG_RUNTIME_DIR", "runtime"), ("HOME", "home")):
        path = Path(folder) / sub
        path.mkdir(mode=0o700)
        environment[variable] = str(path)
    environment["QT_QPA_PLATFORM"] = "offscreen"
    return environment


def start_and_stop(command, database, **kwargs):
    """Starts the organizer, waits until its database exists, then ends it."""
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                               **kwargs)
    try:
        wait_for(database, process)
    finally:
        if process.poll() is None:
            process.send_signal(signal.SIGTERM)
        try:
            process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def check_run(config):
    with tempfile.TemporaryDirectory() as folder:
        prefix = stage(config, folder)
        environment = private_environment(folder)
        database = Path(environment["XDG_DATA_HOME"]) / config["file_name"] / "db/data.db"
        before = snapshot(Path(folder) / "stage")

        # The companion reads no database that is not there, and makes none for it; its first
        # task makes the database where the organizer keeps it.
        listing = subprocess.run([prefix / "bin/tolvek-tasks", "list"], env=environment, cwd=folder,
                                 capture_output=True, text=True, timeout=60)
        check(listing.returncode == 1 and not Path(environment["XDG_DATA_HOME"], config["file_name"]).exists(),
              f"list without a database: {listing.returncode}, {listing.stderr}")
        run([prefix / "bin/tolvek-tasks", "add", "first"], env=environment, cwd=folder)
        check(database.is_file(), f"tolvek-tasks made no {database}")
        database.unlink()

        start_and_stop([prefix / "bin" / config["file_name"]], database, env=environment,
                       cwd=folder)
        after = snapshot(Path(folder) / "stage")
        check(before == after, "the program changed the installed tree: "
              f"{sorted(set(after.items()) ^ set(before.items()))}")
        # The database and what the program keeps beside it (its daily backups) are all in
        # the program's folder of XDG_DATA_HOME, and nothing went into the home folder.
        written = files_under(environment["XDG_DATA_HOME"])
        check(all(f.startswith(f"{config['file_name']}/db/") for f in written),
              f"XDG_DATA_HOME holds {sorted(written)}")
        check(not files_under(environment["HOME"]),
              f"the home folder holds {sorted(files_under(environment['HOME']))}")


def check_checkout(config):
    """./run.sh of a checkout keeps the data in db/data.db of that checkout."""
    with tempfile.TemporaryDirectory() as folder:
        environment = private_environment(folder)
        checkout = Path(folder) / "checkout"
        (checkout / "build").mkdir(parents=True)
        shutil.copy2(Path(config["source"]) / "run.sh", checkout / "run.sh")
        # The build is there already: setup.sh has nothing left to do.
        (checkout / "setup.sh").write_text("#!/usr/bin/env bash\n")
        (checkout / "setup.sh").chmod(0o755)
        (checkout / "build" / config["file_name"]).symlink_to(config["executable"])
        start_and_stop([checkout / "run.sh"], checkout / "db/data.db", env=environment,
                       cwd=folder)
        check(not (Path(environment["XDG_DATA_HOME"]) / config["file_name"]).exists(),
              "the checkout's program used XDG_DATA_HOME")

        # A copy of the executable run by itself, outside any install, keeps its data beside it.
        alone = Path(folder) / "alone"
        alone.mkdir()
        shutil.copy2(config["executable"], alone / config["file_name"])
        start_and_stop([alone / config["file_name"]], alone / "db/data.db", env=environment,
                       cwd=folder)


def check_package(config):
    with tempfile.TemporaryDirectory() as folder:
        run([config["cpack"], "--config", Path(config["build"]) / "CPackConfig.cmake",
             "-G", "DEB", "-B", folder])
        package = Path(folder) / f"{config['file_name']}_{config['version']}-1_amd64.deb"
        check(package.is_file(), f"no {package.name} in {sorted(os.listdir(folder))}")

        listing = run(["dpkg-deb", "-c", package])
        files, folders = set(), set()
        for line in listing.splitlines():
            fields = line.split(None, 5)
            check(fields[1] == "root/root", f"not owned by root: {line}")
            path = fields[5].removeprefix("./").split(" -> ")[0]
            mode = fields[0]
            if mode.startswith("d"):
                check(mode == "drwxr-xr-x", f"folder mode: {line}")
                folders.add(path.rstrip("/"))
            else:
                executable = path.startswith("usr/bin/")
                check(mode == ("-rwxr-xr-x" if executable else "-rw-r--r--"), f"mode: {line}")
                files.add(path)
        doc = f"usr/share/doc/{config['file_name']}"
        wanted = {f"usr/{f}" for f in expected_files(config)}
        wanted |= {f"{doc}/copyright", f"{doc}/changelog.gz", f"{doc}/changelog.Debian.gz"}
        check(files == wanted, f"missing {sorted(wanted - files)}, unexpected {sorted(files - wanted)}")
        parents = {str(Path(f).parents[i]) for f in files for i in range(len(Path(f).parts) - 1)}
        check(folders == parents, f"folders without files: {sorted(folders - parents)}")

        fields = {}
        for field in ("Package", "Version", "Architecture", "Maintainer", "Depends",
                      "Recommends", "Description", "Homepage"):
            fields[field] = run(["dpkg-deb", "-f", package, field]).strip()
        check(fields["Package"] == config["file_name"], f"Package: {fields['Package']}")
        check(fields["Version"] == f"{config['version']}-1", f"Version: {fields['Version']}")
        check(fields["Architecture"] == "amd64", f"Architecture: {fields['Architecture']}")
        check("<" in fields["Maintainer"] and fields["Maintainer"].endswith(">"),
              f"Maintainer: {fields['Maintainer']}")
        # tolvek-tasks syncs: Qt's network and the secret store's library come with it.
        for library in ("libqt6widgets6", "libsqlite3-0", "libc6", "libqt6network6",
                        "libqt6keychain1"):
            check(library in fields["Depends"], f"Depends lacks {library}: {fields['Depends']}")
        check(fields["Recommends"] == "libsecret-1-0", f"Recommends: {fields['Recommends']}")
        check(len(fields["Description"].splitlines()) > 1, "the description has no long part")
        check(fields["Homepage"] == config["home_page"], f"Homepage: {fields['Homepage']}")

        # The copyright file gives the licence of every file, and where its text is.
        unpacked = Path(folder) / "unpacked"
        run(["dpkg-deb", "-x", package, unpacked])
        copyright = (unpacked / doc / "copyright").read_text(encoding="utf-8")
        for part in ("Files: *\n", "License: GPL-3.0-or-later\n",
                     "/usr/share/common-licenses/GPL-3"):
            check(part in copyright, f"the copyright file lacks {part!r}")

        # Errors fail; the one warning left is known (an upload closing no bug).
        findings = run(["lintian", "--fail-on", "error", package])
        print(findings, end="")
        check("no-manual-page" not in findings, "lintian misses a manual page")


def check_manuals(config):
    """Each manual page renders, through man and through groff with every warning on."""
    with tempfile.TemporaryDirectory() as folder:
        prefix = stage(config, folder)
        for page in MANUAL_PAGES:
            path = prefix / f"share/man/man1/{page}.1.gz"
            shown = subprocess.run(["man", "--warnings", "-l", path], capture_output=True,
                                   text=True, timeout=60, env=dict(os.environ, MANWIDTH="80"))
            check(shown.returncode == 0 and not shown.stderr,
                  f"man -l {path.name}: {shown.returncode} {shown.stderr}")
            for section in ("NAME", "SYNOPSIS", "DESCRIPTION", "SEE ALSO"):
                check(f"\n{section}\n" in shown.stdout, f"{path.name} has no {section}")
            check(f"Tolvek Organizer {config['version']}" in shown.stdout,
                  f"{path.name} does not give the version")
            roff = subprocess.run(["gzip", "-dc", path], capture_output=True, timeout=60).stdout
            groff = subprocess.run(["groff", "-ww", "-z", "-man", "-k"], input=roff,
                                   capture_output=True, timeout=60)
            check(groff.returncode == 0 and not groff.stderr,
                  f"groff on {path.name}: {groff.stderr.decode()}")
        tasks = subprocess.run(["man", "-l", prefix / "share/man/man1/tolvek-tasks.1.gz"],
                               capture_output=True, text=True, timeout=60).stdout
        for part in ("EXIT STATUS", "--format", "uid:", "--dry-run", "--version"):
            check(part in tasks, f"tolvek-tasks(1) says nothing of {part}")


def completions_of(shell, prefix, line, environment, awaited=""):
    """What the staged completion of that shell offers for the command line (for zsh, what
    it shows once the awaited text is there)."""
    script = prefix / COMPLETIONS[shell]
    if shell == "bash":
        words = line.split(" ")
        program = (
            f"source {script}\n"
            f"COMP_WORDS=({' '.join(repr(w) for w in words)})\n"
            f"COMP_CWORD={len(words) - 1}\n"
            "_tolvek_tasks\n"
            "printf '%s\\n' \"${COMPREPLY[@]}\"\n")
        command = ["bash", "-c", program]
    elif shell == "fish":
        command = ["fish", "-c", f"source {script}; complete -C {line!r}"]
    else:
        # zsh completes inside its line editor only: a terminal of its own, typed into.
        fpath = script.parent
        command = ["zsh", "-f", "-c", ZSH_COMPLETE.replace("FPATH", str(fpath)), "zsh", line,
                   awaited]
    done = subprocess.run(command, capture_output=True, text=True, timeout=60, env=environment)
    check(done.returncode == 0, f"{shell} completing {line!r}: {done.stderr}")
    return done.stdout


# Types the line and a tab into an interactive zsh, and prints what it shows once that holds
# the text awaited, or after 10 s.
ZSH_COMPLETE = r"""
zmodload zsh/zpty
zpty z zsh -f -i
zpty -w z 'PS1=""; fpath=(FPATH $fpath); autoload -U compinit; compinit -u -D'
zpty -w -n z "$1"$'\t'
local out all
for i in {1..50}; do
  sleep 0.2
  while zpty -r -t z out 2>/dev/null; do all+=$out; done
  [[ $all == *$2* ]] && break
done
zpty -d z
print -r -- "$all"
"""


def check_completions(config):
    """Each shell reads its completion file, and offers commands, fixed values, the category
    names and the task ids of the database."""
    with tempfile.TemporaryDirectory() as folder:
        prefix = stage(config, folder)
        environment = private_environment(folder)
        environment["PATH"] = f"{prefix / 'bin'}:{environment['PATH']}"
        for shell, syntax in (("bash", ["bash", "-n"]), ("zsh", ["zsh", "-n"]),
                              ("fish", ["fish", "--no-execute"])):
            run([*syntax, prefix / COMPLETIONS[shell]])
        for arguments in (["add", "Buy milk"], ["add", "Call the plumber", "--category", "Work"],
                          ["done", "1"]):
            run(["tolvek-tasks", *arguments], env=environment)

        wanted = {
            "tolvek-tasks ": ["list", "categories", "import", "sync"],
            "tolvek-tasks sync --": ["--setup", "--status", "--confirm-deletions", "--keep"],
            "tolvek-tasks add x --category ": ["Personal", "Work", "Shopping"],
            "tolvek-tasks list --format ": ["json", "tsv"],
            "tolvek-tasks undone ": ["1"],
            "tolvek-tasks delete ": ["1", "2"],
        }
        for shell in ("bash", "fish"):
            for line, words in wanted.items():
                offered = completions_of(shell, prefix, line, environment).split("\n")
                offered = {entry.split("\t")[0] for entry in offered}
                check(set(words) <= offered, f"{shell} offers {sorted(offered)} for {line!r}")
            done = completions_of(shell, prefix, "tolvek-tasks done ", environment)
            check(done.split("\t")[0].strip() == "2", f"{shell} offers {done!r} for done")
        # zsh shows the tasks with their names, and the categories.
        shown = completions_of("zsh", prefix, "tolvek-tasks delete ", environment, "plumber")
        check("1  -- Buy milk" in shown and "2  -- Call the plumber" in shown,
              f"zsh shows {shown!r}")
        shown = completions_of("zsh", prefix, "tolvek-tasks add x --category=", environment,
                               "Work")
        check("Personal" in shown and "Shopping" in shown and "Work" in shown,
              f"zsh shows {shown!r}")


CHECKS = {"tree": check_tree, "run": check_run, "checkout": check_checkout,
          "package": check_package, "manuals": check_manuals, "completions": check_completions}

if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] not in CHECKS:
        sys.exit(f"usage: check_install.py {'|'.join(CHECKS)} CONFIG")
    try:
        CHECKS[sys.argv[1]](json.loads(Path(sys.argv[2]).read_text(encoding="utf-8")))
    except (CheckFailed, subprocess.TimeoutExpired) as failure:
        sys.exit(f"FAILED: {failure}")
    print(f"{sys.argv[1]}: all checks passed")
