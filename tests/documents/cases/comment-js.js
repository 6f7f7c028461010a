const a = 'singlee'; // commentt
const t = `template ${codde} textt
second linee`;
