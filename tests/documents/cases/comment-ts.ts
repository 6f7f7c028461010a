// inflateGetDictionary returns the dictionary
const message: string = `value ${user.name} is redy`;
interface Options { cliArgs: string[] } /* typed opshuns */
let s = "unclosed string
