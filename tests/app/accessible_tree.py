"""The program as a screen reader meets it, over the real accessibility bus (run inside a private
session bus: dbus-run-session -- python3 accessible_tree.py <program>). The download page's and
the player page's controls carry their roles and names, every control has a name, and no text
holds a noncharacter (the strip's page included). Prints the tree it read.

Exit 77 (skipped) without an X server or without pyatspi."""

import os
import shutil
import subprocess
import sys
import tempfile
import time

try:
    import pyatspi
except ImportError:
    print("SKIP: pyatspi is not installed")
    sys.exit(77)

if not os.environ.get("DISPLAY"):
    print("SKIP: the accessibility bridge needs an X server (DISPLAY)")
    sys.exit(77)

# Roles a user works with: each needs a name.
CONTROL_ROLES = {"push button", "toggle button", "text", "tree", "table", "check box", "slider", "list",
                 "combo box", "radio button"}

DOWNLOAD_PAGE = [
    ("push button", "视频下载"), ("push button", "视频播放"), ("image", "Tessaly 视频下载与播放"),
    ("filler", "YouTube 视频下载"), ("text", "视频网页地址："), ("push button", "D下载"),
    ("text", "本机保存目录："), ("push button", "F目录..."), ("tree", "下载任务列表"),
    ("push button", "R重新下载"), ("push button", "D删除任务"), ("check box", "并删除已下载文件"),
    ("push button", "P播放视频"), ("label", "下载速度：0 KB"), ("label", "任务数量：0"),
    ("label", "完成下载：0"),
]
PLAYER_PAGE = [
    ("filler", "YouTube 视频播放"), ("panel", "视频播放器"), ("push button", "播放"),
    ("label", "00:00 / 00:00"), ("slider", "播放进度"), ("push button", "静音"), ("slider", "音量"),
    ("push button", "打开"), ("push button", "列表"),
]


def is_noncharacter(c):
    code = ord(c)
    return 0xFDD0 <= code <= 0xFDEF or (code & 0xFFFE) == 0xFFFE


def read_tree(node, depth=0, into=None):
    """(depth, role, name, text) of node and everything below it."""
    into = [] if into is None else into
    try:
        role, name = node.getRoleName(), node.name or ""
    except Exception:  # a node that went away while being read
        return into
    try:
        text = node.queryText().getText(0, -1)
    except NotImplementedError:
        text = ""
    into.append((depth, role, name, text))
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            read_tree(child, depth + 1, into)
    return into


def wait_for(what, condition, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        result = condition()
        if result:
            return result
        time.sleep(0.2)
    sys.exit(f"FAIL: {what} within {seconds} s")


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name == "tessaly":
            return app
    return None


def find(node, role, name):
    if node.getRoleName() == role and node.name == name:
        return node
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        found = child is not None and find(child, role, name)
        if found:
            return found
    return None


def check(tree, expected, page):
    pairs = {(role, name) for _, role, name, _ in tree}
    missing = [pair for pair in expected if pair not in pairs]
    if missing:
        sys.exit(f"FAIL: {page}: not in the tree: {missing}")
    unnamed = [role for _, role, name, _ in tree if role in CONTROL_ROLES and not name.strip()]
    if unnamed:
        sys.exit(f"FAIL: {page}: controls without a name: {unnamed}")
    for _, role, name, text in tree:
        if any(is_noncharacter(c) for c in name + text):
            sys.exit(f"FAIL: {page}: a noncharacter in {role} {name!r} {text!r}")


def show(tree, title):
    print(f"--- {title}")
    for depth, role, name, text in tree:
        print("  " * depth + f"{role}: {name!r}" + (f" text {text!r}" if text and text != name else ""))


def main():
    program = os.path.abspath(sys.argv[1])
    work = tempfile.mkdtemp()
    start = os.path.join(work, "start")
    runtime = os.path.join(work, "runtime")
    os.mkdir(start)
    os.mkdir(runtime, 0o700)
    for name in ("plsys.dll", "tips.html"):
        shutil.copy(os.path.join(os.path.dirname(program), name), start)
    env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
               XDG_RUNTIME_DIR=runtime, TMPDIR=work)
    log = open(os.path.join(work, "program.log"), "w+b")
    process = subprocess.Popen([program], cwd=start, env=env, stdout=log, stderr=subprocess.STDOUT)
    try:
        def started():
            if process.poll() is not None:
                log.seek(0)
                said = log.read().decode(errors="replace")[-2000:]
                sys.exit(f"FAIL: the program ended at once (exit status {process.returncode}):\n{said}")
            return application()

        app = wait_for("the program on the bus", started, 30)
        wait_for("the download page's list", lambda: find(app, "tree", "下载任务列表"), 30)
        tree = read_tree(app)
        show(tree, "download page")
        check(tree, DOWNLOAD_PAGE, "download page")

        find(app, "push button", "视频播放").queryAction().doAction(0)
        wait_for("the movie's controls", lambda: find(app, "slider", "音量"), 30)
        tree = read_tree(app)
        show(tree, "player page")
        check(tree, PLAYER_PAGE, "player page")

        # The strip shows its own page some 20 seconds after the start.
        wait_for("the strip's page",
                 lambda: any("小贴士" in name for _, role, name, _ in read_tree(app) if role == "label"), 40)
        tree = read_tree(app)
        check(tree, [], "with the strip's page")
        print("--- strip:", [name for _, role, name, _ in tree if "小贴士" in name])
        return 0
    finally:
        process.kill()
        process.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
