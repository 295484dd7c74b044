#!/usr/bin/env python3
"""Counts the requests one thread made of the wineserver, from a trace written by
`wineserver -d1`, up to the request that set the title given; with a file of start-up
marks (a timing build's), also step by step.

usage: server_requests.py TRACE TITLE [MARKS]
The thread is the one that set the title. Each mark of a timing build asks for the
process's times, a get_process_info request of its own; the C runtime's start asks
once before them, so the first such request is skipped.
"""
import collections
import re
import sys

REQUEST = re.compile(r'^([0-9a-f]{4}): (\w+)\((.*)$')
# How Wine 8 checks that its cache of display devices is current: three requests,
# made for a DC, a monitor or a DPI lookup.
DISPLAY_CHECK = ('get_process_winstation', 'set_user_object_info', 'enum_key')


def requests(path):
    with open(path, errors='replace') as trace:
        for line in trace:
            m = REQUEST.match(line)
            if m and not m.group(3).startswith(') ='):
                yield m.group(1), m.group(2), m.group(3)


def main():
    path, title = sys.argv[1], sys.argv[2]
    marks = []
    if len(sys.argv) > 3:
        with open(sys.argv[3], errors='replace') as f:
            marks = [line.split('ms', 2)[2].strip() for line in f if line.count('ms') >= 2]
    thread = next((t for t, name, rest in requests(path) if name == 'set_window_text' and title in rest), None)
    if thread is None:
        sys.exit(f'{path}: no thread set the title "{title}"')
    steps = [['before the first mark' if marks else 'to the title', collections.Counter()]]
    seen_times = 0
    for t, name, rest in requests(path):
        if t != thread:
            continue
        if name == 'set_window_text' and title in rest:
            break
        if marks and name == 'get_process_info' and 'handle=ffffffff' in rest:
            seen_times += 1
            if seen_times > 1 and seen_times - 2 < len(marks):
                steps[-1][0] = marks[seen_times - 2]
                steps.append(['to the title', collections.Counter()])
            continue
        steps[-1][1][name] += 1
    total = collections.Counter()
    for _, counts in steps:
        total += counts
    if marks:
        for step, counts in steps:
            print(f'  {sum(counts.values()):6d} {counts["enum_key"]:5d}  {step}')
    print(f'{sum(total.values())} requests, {total["enum_key"]} display-device checks ({3 * total["enum_key"]} requests); '
          'most made: ' + ', '.join(f'{n} {c}' for n, c in total.most_common(6)))


main()
