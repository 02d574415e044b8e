// The same padded frame sizes packed by two packers game developers use, for pack_bench's
// table: occupancy as pack_bench counts it (frames with padding over pages with padding).
//   PEERS=FOLDER node pack_peers.mjs SIZES.json...   (FOLDER: where pack_peers installed them)
import fs from 'node:fs';
import { createRequire } from 'node:module';

const from = createRequire(process.env.PEERS + '/');
// Its main file is UMD in a package marked as a module; its module build loads.
const { MaxRectsPacker } = await import(from.resolve('maxrects-packer').replace(/\.js$/, '.mjs'));
const potpack = (await import(from.resolve('potpack'))).default;

for (const file of process.argv.slice(2)) {
  const { padding, largest, sizes } = JSON.parse(fs.readFileSync(file));
  const used = sizes.reduce((sum, [w, h]) => sum + (w + padding) * (h + padding), 0);
  const name = file.replace(/^.*\//, '').replace(/\.json$/, '');

  let start = process.hrtime.bigint();
  const boxes = sizes.map(([w, h]) => ({ w: w + padding, h: h + padding }));
  const { w, h } = potpack(boxes);
  const potMs = Number(process.hrtime.bigint() - start) / 1e6;

  let maxrects = 'skipped', maxMs = 0;
  if (sizes.length <= 5000) {
    start = process.hrtime.bigint();
    const packer = new MaxRectsPacker(largest, largest, padding, { smart: true, pot: false, square: false, allowRotation: false });
    packer.addArray(sizes.map(([width, height]) => ({ width, height })));
    maxMs = Number(process.hrtime.bigint() - start) / 1e6;
    const area = packer.bins.reduce((sum, bin) => sum + (bin.width + padding) * (bin.height + padding), 0);
    maxrects = (used / area).toFixed(3) + ` (${packer.bins.length} pages)`;
  }
  console.log(`${name.padEnd(26)} maxrects-packer ${maxrects.padEnd(16)} ${maxMs.toFixed(1).padStart(8)} ms   potpack ${(used / (w * h)).toFixed(3)} ${potMs.toFixed(1).padStart(7)} ms`);
}
