#!/usr/bin/env python3
# Resident memory of the viewer over reloads: runs build/pinakora --watch on a copy of
# examples/hall in a scratch folder, rewrites it COUNT times and prints the resident memory
# two seconds of frames after each reload. MODE 23 alternates 2 and 3 lights, 32 starts
# with 3, 22 keeps 2 and changes a colour. With HEAP=1, gdb reads the C library's heap
# record (mallinfo2) at the start and the end. Run under xvfb-run, from anywhere:
#   xvfb-run -a -s "-screen 0 1920x1080x24" tools/reloadMemory.py . 23 20
import json, os, subprocess, sys, time, shutil, copy
repo = os.path.abspath(sys.argv[1]); mode = sys.argv[2]; count = int(sys.argv[3]); extra = sys.argv[4:]
folder = '/tmp/pinakora-reload-%s-%d' % (mode, os.getpid())
shutil.rmtree(folder, ignore_errors=True); os.makedirs(folder)
base = json.load(open(os.path.join(repo, 'examples/hall/exhibition.json')))
two = copy.deepcopy(base)
three = copy.deepcopy(base); three['lights'].append({'position': [-2000, 1500, 0], 'color': [1, 1, 1]})
twoB = copy.deepcopy(base); twoB['lights'][1]['color'] = [0.9, 0.9, 0.9]
variants = {'23': [two, three], '32': [three, two], '22': [two, twoB]}[mode]
def write(v):
    with open(folder + '/exhibition.json.tmp', 'w') as f: json.dump(v, f)
    os.replace(folder + '/exhibition.json.tmp', folder + '/exhibition.json')
write(variants[0])
out = open(folder + '.out', 'w')
p = subprocess.Popen([os.environ.get('BIN', repo + '/build/pinakora'), '--window', '320x180', '--hall', folder, '--watch'] + extra,
                     cwd=repo, stdout=out, stderr=subprocess.STDOUT)
def text(): return open(folder + '.out').read()
def rss():
    for line in open('/proc/%d/status' % p.pid):
        if line.startswith('VmRSS'): return int(line.split()[1]) / 1024.0
def waitFor(pred, t=300):
    end = time.time() + t
    while time.time() < end:
        if pred(): return True
        if p.poll() is not None: return False
        time.sleep(0.1)
    return False
waitFor(lambda: text().count('FPS:') >= 2)
print('start %.1f MiB' % rss(), flush=True)
def info(label):
    g = subprocess.run(['gdb', '-p', str(p.pid), '-batch', '-ex', 'print mallinfo2()'], capture_output=True, text=True).stdout
    import re
    m = dict((k, int(v)) for k, v in re.findall(r'(\w+) = (\d+)', g[g.rfind('$1'):]))
    M = 1048576.0
    print('%s: RSS %.1f MiB; heap arenas %.1f MiB (in use %.1f, free %.1f), mmapped %.1f MiB in %d blocks' % (label, rss(), m.get('arena',0)/M, m.get('uordblks',0)/M, m.get('fordblks',0)/M, m.get('hblkhd',0)/M, m.get('hblks',0)), flush=True)
if os.environ.get('HEAP'): info('start')
for i in range(1, count + 1):
    n = text().count('Showing')
    write(variants[i % 2])
    if not waitFor(lambda: text().count('Showing') > n):
        print('no reload', text()[-500:]); break
    f = text().count('FPS:')
    waitFor(lambda: text().count('FPS:') >= f + 2)   # two seconds of frames after the reload
    print('reload %d (%d lights) %.1f MiB' % (i, len(variants[i % 2]['lights']), rss()), flush=True)
if os.environ.get('HEAP'):
    info('end')
p.terminate(); p.wait()
shutil.rmtree(folder, ignore_errors=True); os.remove(folder + ".out")
