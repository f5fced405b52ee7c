#!/usr/bin/env python3
"""Packs the skin folder into the zip archive that the program carries as a resource.

Layouts and images are taken as they are; a picture kept as "<name>.<ext>.svg" is rendered to
"<name>.<ext>" (PNG directly, BMP and JPEG through ImageMagick) so that the look can be edited
as a drawing. Usage: pack-skin.py SKIN_DIR OUTPUT_ZIP WORK_DIR
"""
import os
import subprocess
import sys
import zipfile

PACKED = (".xml", ".png", ".bmp", ".jpg", ".jpeg", ".gif", ".ico", ".html", ".htm", ".css", ".js")


def render_svg(svg, target, work):
    os.makedirs(os.path.dirname(target), exist_ok=True)
    if target.lower().endswith(".png"):
        subprocess.run(["rsvg-convert", "-o", target, svg], check=True)
        return
    png = os.path.join(work, os.path.basename(target) + ".png")
    subprocess.run(["rsvg-convert", "-o", png, svg], check=True)
    subprocess.run(["convert", png, "-background", "#FF00FF", "-alpha", "remove", "-type", "TrueColor", target], check=True)


def main(skin, output, work):
    members = []
    for root, _, files in os.walk(skin):
        for name in sorted(files):
            path = os.path.join(root, name)
            relative = os.path.relpath(path, skin).replace(os.sep, "/")
            if name.lower().endswith(".svg"):
                target = os.path.join(work, relative[:-4])
                render_svg(path, target, work)
                members.append((relative[:-4], target))
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
