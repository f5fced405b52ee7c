#!/usr/bin/env python3
"""Packs the skin folder into the zip archive that the program carries as a resource.

Layouts and images are taken as they are; a picture kept as "<name>.<ext>.svg" is rendered to
"<name>.<ext>" (PNG directly, BMP and JPEG through ImageMagick) so that the look can be edited
as a drawing. For displays of more than 96 DPI the drawing is also rendered at 1.5 and 2 times
its size, as "<name>@1.5x.<ext>" and "<name>@2x.<ext>" beside the 1x file ("sysset/msgtop.png"
gains "sysset/msgtop@1.5x.png" and "sysset/msgtop@2x.png"); the framework draws from the render
nearest to a window's DPI and falls back to the 1x file where no other exists.
Usage: pack-skin.py SKIN_DIR OUTPUT_ZIP WORK_DIR
"""
import os
import subprocess
import sys
import zipfile

PACKED = (".xml", ".png", ".bmp", ".jpg", ".jpeg", ".gif", ".ico", ".html", ".htm", ".css", ".js")

# Zoom factor and the suffix its render carries before the extension; 1x keeps the plain name.
RENDERS = (("1", ""), ("1.5", "@1.5x"), ("2", "@2x"))


def render_name(relative, suffix):
    stem, extension = os.path.splitext(relative)
    return stem + suffix + extension


def render_svg(svg, target, zoom, work):
    os.makedirs(os.path.dirname(target), exist_ok=True)
    rsvg = ["rsvg-convert", "--zoom", zoom]
    if target.lower().endswith(".png"):
        subprocess.run(rsvg + ["-o", target, svg], check=True)
        return
    png = os.path.join(work, os.path.basename(target) + ".png")
    subprocess.run(rsvg + ["-o", png, svg], check=True)
    subprocess.run(["convert", png, "-background", "#FF00FF", "-alpha", "remove", "-type", "TrueColor", target], check=True)


def main(skin, output, work):
    members = []
    for root, _, files in os.walk(skin):
        for name in sorted(files):
            path = os.path.join(root, name)
            relative = os.path.relpath(path, skin).replace(os.sep, "/")
            if name.lower().endswith(".svg"):
                for zoom, suffix in RENDERS:
                    member = render_name(relative[:-4], suffix)
                    target = os.path.join(work, member)
                    render_svg(path, target, zoom, work)
                    members.append((member, target))
            elif name.lower().endswith(PACKED):
                members.append((relative, path))
    os.makedirs(os.path.dirname(output), exist_ok=True)
    temporary = output + ".part"
    with zipfile.ZipFile(temporary, "w", zipfile.ZIP_DEFLATED) as archive:
        for relative, path in sorted(members):
            info = zipfile.ZipInfo(relative, date_time=(2026, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            with open(path, "rb") as source:
                archive.writestr(info, source.read())
    os.replace(temporary, output)


if __name__ == "__main__":
    main(*sys.argv[1:4])
